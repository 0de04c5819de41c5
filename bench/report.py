#!/usr/bin/env python3
"""Prints the one table of `make bench` from the figures scripts/bench.sh
collected in its work directory, each row with its target and a pass or
miss computed from the figures:

  gbench.json        Google Benchmark's JSON output (plugin_bench)
  counts.txt         "<op> <instructions per operation>" from callgrind
  stack_painted.txt  "<bytes> <path>" per path, from plugin_stack_paint
  stack.txt          two lines of stack_usage.py (frames of the call graph)
  e2e.txt            wine_typing.py's lines, or "not done: <why>"
"""
import json
import os
import statistics
import sys

# The instruction counts as they stood when these rows were set (re-measured
# independently); each must stay within 5 % of its figure.  The step's was
# 126 (122 measured before the change) until a bracketed word's outcome
# became a value held in registers instead of the pending key and a word
# buffer in memory: 115 since.
REFERENCE = {"passthrough": 21, "step": 115, "findname": 56, "load": 184000, "logline": 899}
DRIFT = 0.05

# op, benchmark name, what it measures, instruction target (None: none set)
ROWS = [
    ("passthrough", "BM_PassThrough", "filter call, no macro open (pass-through)", 25),
    ("step", "BM_PlaybackStep", "playback step, one plain character, no log", 150),
    ("played", None, "played key: step + the key back, no log", 170),
    ("steplogged", "BM_PlaybackStepLogged", "playback step, one plain character, logged", None),
    ("playedlogged", None, "played key: step + the key back, logged", 1500),
    ("findname", "BM_FindKeyName", "FindKeyName, 300 entries", 80),
    ("findcode", "BM_FindKeyCode", "FindKeyCode, 300 entries (mean of all names)", None),
    ("load", "BM_LoadKeyNameTable", "LoadKeyNameTable, 300-line keys.h in memory", 300000),
    ("logline", "BM_WriteLogLine", "WriteLogLine, 20-character body, into a sink", 1500),
]
STACK_TARGET = 8192
RATIO_TARGET = 1.6
SPREAD_TARGET = 0.10

FORMAT = "%-46s %10s %12s %16s  %-6s %8s"


def read(path):
    return open(path, encoding="utf-8").read() if os.path.exists(path) else ""


def spread(values):
    """(max - min) / median: how far the runs lie apart."""
    middle = statistics.median(values)
    return (max(values) - min(values)) / middle if middle else float("inf")


class Table:
    def __init__(self):
        self.misses = []

    def row(self, what, time, figure, target, passed, allocs="-"):
        verdict = "" if passed is None else ("ok" if passed else "MISSED")
        if passed is False:
            self.misses.append(what)
        print(FORMAT % (what, time, figure, target, verdict, allocs))


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

    table = Table()
    header = FORMAT % ("operation", "time ns", "instructions", "target", "", "allocs")
    print(header)
    print("-" * len(header))
    for op, name, what, target in ROWS:
        entry = benchmarks.get(name)
        time = "%.1f" % entry["real_time"] if entry else "-"
        allocs = "%g" % entry.get("allocs_per_iter", 0) if entry else "-"
        value = counts.get(op)
        instructions = "{:,}".format(value) if value is not None else "-"
        if target is None:
            table.row(what, time, instructions, "-", None, allocs)
        else:
            table.row(what, time, instructions, "<= {:,}".format(target),
                      value is not None and value <= target, allocs)

    # Every count that had a figure before stays within 5 % of it.
    for op, before in REFERENCE.items():
        value = counts.get(op)
        drift = (value - before) / before if value is not None else None
        what = next(w for o, _, w, _ in ROWS if o == op)
        table.row("  drift of " + what.split(",")[0], "-",
                  "%+.1f %%" % (100 * drift) if drift is not None else "-",
                  "±5 %% of %s" % "{:,}".format(before),
                  drift is not None and abs(drift) <= DRIFT)

    # The stack: painted on the running program, C library included.
    painted = [line.split(" ", 1) for line in read(os.path.join(work, "stack_painted.txt"))
               .splitlines() if line.strip()]
    if painted:
        deepest = max(painted, key=lambda pair: int(pair[0]))
        table.row("deepest stack, C library included, bytes", "-", deepest[0],
                  "<= {:,}".format(STACK_TARGET), int(deepest[0]) <= STACK_TARGET)
        for size, path in painted:
            print("    %6s  %s" % (size, path))
        print("    (x86-64, painted natively around each filter call with the quick fake host)")
    else:
        table.row("deepest stack, C library included, bytes", "-", "-",
                  "<= {:,}".format(STACK_TARGET), False)
    stack = read(os.path.join(work, "stack.txt")).splitlines()
    if len(stack) == 2:
        frames, path = stack[0].split(" ", 1)
        reentry, reentry_path = stack[1].split(" ", 1)
        print("    the plug-in's own frames alone (call graph): %s bytes: %s" % (frames, path))
        print("    a re-entry from the host's key loop adds %s: %s" % (reentry, reentry_path))

    e2e = read(os.path.join(work, "e2e.txt")).strip()
    label = "Wine: per key played / pass-through baseline"
    if e2e and not e2e.startswith("not done"):
        series = {}
        for line in e2e.splitlines():
            name, *values = line.split()
            series[name] = [float(v) for v in values]
        ratio = series["ratio"]
        middle, apart = statistics.median(ratio), spread(ratio)
        table.row(label, "-", "%.2f" % middle, "<= %.1f" % RATIO_TARGET, middle <= RATIO_TARGET)
        table.row("  spread of that ratio across runs", "-", "%.1f %%" % (100 * apart),
                  "<= %d %%" % (100 * SPREAD_TARGET), apart <= SPREAD_TARGET)

        def line(name, unit="ns"):
            values = series[name]
            return "%8.1f %s  (spread %4.1f %%; runs: %s)" % (
                statistics.median(values), unit, 100 * spread(values),
                " ".join("%.1f" % v for v in values))
        macros, logged_macros, keys, repeats = (int(v) for v in series["macros"])
        print("    per key played by the plug-in   %s" % line("per_key"))
        print("    per key, pass-through baseline  %s" % line("base_per_key"))
        print("    fixed per macro (form, open,    %s" % line("fixed_us", "us"))
        print("      end notice, close)")
        print("    per key played, logged          %s" % line("logged"))
        if "whole_per_key" in series:
            print("    whole loop, per key played      %s" % line("whole_per_key"))
        print("    (times of the host's own key loop; per key: the lower quartile of its runs of"
              " 10,000 keys; medians of %d" % len(ratio))
        print("     rounds, each taking the least disturbed of %d alternating runs of each kind;"
              " %d macros" % (repeats, macros))
        print("     of %d keys a run, %d when logged; the whole loop's figure: (macros - empty"
              " macros) / keys)" % (keys, logged_macros))
        if "stack" in series:
            no_key, with_key = (int(v) for v in series["stack"])
            print("    deepest stack of one outer filter call under Wine, the stand-in host's"
                  " own frames included:")
            print("      %d bytes in playback (no-key calls), %d with a key (Shift+F11: the"
                  " start form, the questions)" % (no_key, with_key))
    else:
        table.row(label, "-", "-", "<= %.1f" % RATIO_TARGET, None)
        print("    %s" % (e2e or "not done"))

    heap = [name for _, name, _, _ in ROWS
            if name in benchmarks and benchmarks[name].get("allocs_per_iter", 0) != 0]
    print("heap allocations on the measured paths: %s" % ("none" if not heap else ", ".join(heap)))
    if table.misses:
        print("missed targets: " + "; ".join(table.misses))
    return 0


if __name__ == "__main__":
    sys.exit(main())
