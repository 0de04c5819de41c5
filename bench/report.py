#!/usr/bin/env python3
"""Prints the one table of `make bench` from the figures scripts/bench.sh
collected in its work directory:

  gbench.json   Google Benchmark's JSON output (plugin_bench)
  counts.txt    "<op> <instructions per operation>" from callgrind
  stack.txt     two lines of stack_usage.py
  e2e.txt       "<ms with the plug-in> <ms without> <runs> <macros per run>",
                or "not done: <why>"
"""
import json
import os
import sys

# op, benchmark name, what it measures, instruction target (None: none set)
ROWS = [
    ("passthrough", "BM_PassThrough", "filter call, no macro open (pass-through)", 25),
    ("step", "BM_PlaybackStep", "playback step, one plain character, no log", 150),
    ("steplogged", "BM_PlaybackStepLogged", "playback step, one plain character, logged", None),
    ("findname", "BM_FindKeyName", "FindKeyName, 300 entries", 80),
    ("findcode", "BM_FindKeyCode", "FindKeyCode, 300 entries (mean of all names)", None),
    ("load", "BM_LoadKeyNameTable", "LoadKeyNameTable, 300-line keys.h in memory", 300000),
    ("logline", "BM_WriteLogLine", "WriteLogLine, 20-character body, into a sink", 1500),
]


def read(path):
    return open(path, encoding="utf-8").read() if os.path.exists(path) else ""


def main():
    work = sys.argv[1]
    benchmarks = {}
    if read(os.path.join(work, "gbench.json")):
        for entry in json.loads(read(os.path.join(work, "gbench.json")))["benchmarks"]:
            benchmarks[entry["name"]] = entry
    counts = {}
    for line in read(os.path.join(work, "counts.txt")).splitlines():
        op, value = line.split()
        counts[op] = int(value)

    misses = []
    header = ("%-46s %10s %12s %12s  %-6s %8s" %
              ("operation", "time ns", "instructions", "target", "", "allocs"))
    print(header)
    print("-" * len(header))
    for op, name, what, target in ROWS:
        entry = benchmarks.get(name)
        time = "%.1f" % entry["real_time"] if entry else "-"
        allocs = "%g" % entry.get("allocs_per_iter", 0) if entry else "-"
        if op is None:
            instructions, target_text, verdict = "-", "-", ""
        else:
            value = counts.get(op)
            instructions = "{:,}".format(value) if value is not None else "-"
            if target is None:
                target_text, verdict = "-", ""
            else:
                target_text = "<= {:,}".format(target)
                verdict = "ok" if value is not None and value <= target else "MISSED"
                if verdict != "ok":
                    misses.append(what)
        print("%-46s %10s %12s %12s  %-6s %8s" %
              (what, time, instructions, target_text, verdict, allocs))

    stack = read(os.path.join(work, "stack.txt")).splitlines()
    if len(stack) == 2:
        deepest, path = stack[0].split(" ", 1)
        reentry, reentry_path = stack[1].split(" ", 1)
        print("%-46s %10s %12s %12s  %-6s %8s" %
              ("deepest stack of the filter's paths, bytes", "-", deepest, "-", "", "-"))
        print("    %s" % path)
        print("    a re-entry from the host's key loop adds %s: %s" % (reentry, reentry_path))
        print("    (x86-64 frames from -fstack-usage; C library and host frames not included)")

    e2e = read(os.path.join(work, "e2e.txt")).strip()
    label = "Wine: 20,000 keys, macro / host's own queue"
    if e2e and not e2e.startswith("not done"):
        with_plugin, alone, runs, macros = e2e.split()
        ratio = float(with_plugin) / float(alone) if float(alone) > 0 else float("inf")
        verdict = "ok" if ratio <= 1.2 else "MISSED"
        if verdict != "ok":
            misses.append(label)
        print("%-46s %10s %12s %12s  %-6s %8s" %
              (label, "-", "%.2f" % ratio, "<= 1.2", verdict, "-"))
        print("    per 20,000 keys: %s ms through the plug-in, %s ms from the host's queue"
              % (with_plugin, alone))
        print("    (medians of %s runs, each typing them %s times; a run with nothing to type"
              " taken off)" % (runs, macros))
    else:
        print("%-46s %s" % (label, e2e or "not done"))

    heap = [name for _, name, _, _ in ROWS
            if name in benchmarks and benchmarks[name].get("allocs_per_iter", 0) != 0]
    print("heap allocations on the measured paths: %s" % ("none" if not heap else ", ".join(heap)))
    if misses:
        print("missed targets: " + "; ".join(misses))
    return 0


if __name__ == "__main__":
    sys.exit(main())
