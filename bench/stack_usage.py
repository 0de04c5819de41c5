#!/usr/bin/env python3
"""The deepest stack of the key filter's paths, from GCC's call graph.

The plug-in's sources are compiled for the benchmarks with -fstack-usage and
-fcallgraph-info=su: every object gets a .ci file (VCG) that names each
function with its own frame size and each call it makes.  This walks the
graph from PluginKeyFilter and sums the frames of the deepest path.

Calls through a pointer are the host's functions (through their slots, not
ours to count) except for the command table, whose entries RunMacroWord
calls.  Library functions (vsnprintf, strtol, ...) have no figure and count
0.  The host's own key loop may call back into the plug-in while one of
our frames waits in a host function: the inner filter call, and the start
form's field callback while HostRunForm runs; that re-entry is reported as
a second figure (the field callback and an inner filter call from the
picker's loop), to be added on top of the deepest frame that calls the host.

Usage: stack_usage.py <directory searched for .ci files>
Prints: "<bytes> <path>" on the first line, "<bytes> <path>" of the deepest
re-entry on the second.
"""
import glob
import os
import re
import subprocess
import sys

NODE = re.compile(r'node: \{ title: "([^"]*)" label: "([^"]*)"')
EDGE = re.compile(r'edge: \{ sourcename: "([^"]*)" targetname: "([^"]*)"')
FRAME = re.compile(r'\\n(\d+) bytes \(')

# Calls through a pointer that land in the plug-in itself: caller -> pattern
# of the callees' names.  Every other indirect call goes to the host.
INDIRECT = {
    "RunMacroWord": re.compile(r"\{anonymous\}::Run\w+\(\)$"),
    "RunInStateBracket": re.compile(r"\{anonymous\}::(PlaybackStep|HandleShiftF11)\(\)$"),
}
INDIRECT_FILES = {"RunMacroWord": "commands.cpp", "RunInStateBracket": "key_filter.cpp"}

# Recursion bounded by the data: std::sort's introsort recurses at most
# 2 * floor(log2(n)) levels deep, 16 for the 300 entries of the key table.
RECURSION_LEVELS = {"__introsort_loop": 16}

# Where the host calls back into the plug-in from its own key loop.  An
# inner call of the filter finds the busy flag set and goes no further than
# the hold; the form's field callback may itself call the host's file picker,
# whose loop calls the filter once more.
INNER_FILTER_CALLEES = {"HoldKey"}
FIELD_CALLBACK = "StartFormFieldCallback"


def short_name(label):
    """The function's name without return type and parameters."""
    first = label.split("\\n")[0]
    first = first.split("(")[0]
    return first.split(" ")[-1]


def demangled(title):
    """The function's name from its symbol, for labels GCC left without one."""
    symbol = title.split(":")[-1]
    try:
        out = subprocess.run(["c++filt", symbol], capture_output=True, text=True, check=True)
        return out.stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return symbol


def base_name(title, names):
    """The function's name without namespaces, for the tables above."""
    return short_name(names[title]).split("::")[-1]


def load(directory):
    frames = {}  # title -> own frame bytes
    names = {}  # title -> label's first line
    calls = {}  # title -> set of callee titles
    for path in glob.glob(os.path.join(directory, "**", "*.ci"), recursive=True):
        text = open(path, encoding="utf-8", errors="replace").read()
        for title, label in NODE.findall(text):
            m = FRAME.search(label)
            first = label.split("\\n")[0]
            if not short_name(first).strip(")"):
                first = demangled(title)
            if m:
                frames[title] = int(m.group(1))
                names[title] = first
            else:
                names.setdefault(title, first)
        for source, target in EDGE.findall(text):
            calls.setdefault(source, set()).add(target)
    # Resolve the plug-in's own indirect calls.
    for title, callees in calls.items():
        if "__indirect_call" not in callees or title not in frames:
            continue
        caller = short_name(names[title])
        if caller in INDIRECT:
            for other, label in names.items():
                if (other in frames and INDIRECT_FILES[caller] in other
                        and INDIRECT[caller].search(label)):
                    callees.add(other)
    return frames, names, calls


def deepest(root, frames, names, calls, memo, active):
    """(bytes, [titles]) of the deepest path from `root`."""
    if root in memo:
        return memo[root]
    if root in active:  # recursion would be unbounded; the plug-in has none
        raise SystemExit("stack_usage: recursion through " + names.get(root, root))
    active.add(root)
    best = (0, [])
    own = frames.get(root, 0)
    for callee in calls.get(root, ()):
        if callee == "__indirect_call":
            continue
        if callee == root and base_name(root, names) in RECURSION_LEVELS:
            own = frames[root] * RECURSION_LEVELS[base_name(root, names)]
            continue
        best = max(best, deepest(callee, frames, names, calls, memo, active))
    active.discard(root)
    result = (own + best[0], [root] + best[1])
    memo[root] = result
    return result


def find(frames, names, wanted):
    for title in frames:
        if short_name(names[title]) == wanted:
            return title
    raise SystemExit("stack_usage: no figure for " + wanted)


def describe(path, frames, names):
    parts = []
    for title in path:
        if title not in frames:
            continue
        name = base_name(title, names)
        levels = RECURSION_LEVELS.get(name)
        parts.append("%s %d" % (name, frames[title]) if levels is None else
                     "%s %dx%d" % (name, frames[title], levels))
    return " > ".join(parts)


def main():
    frames, names, calls = load(sys.argv[1])
    memo = {}
    top = deepest(find(frames, names, "PluginKeyFilter"), frames, names, calls, memo, set())
    filter_title = find(frames, names, "PluginKeyFilter")
    inner = (frames[filter_title], [filter_title])
    for callee in calls.get(filter_title, ()):
        if callee in frames and base_name(callee, names) in INNER_FILTER_CALLEES:
            inner = max(inner, (frames[filter_title] + frames[callee], [filter_title, callee]))
    callback = deepest(find(frames, names, FIELD_CALLBACK), frames, names, calls, memo, set())
    reentry = (callback[0] + inner[0], callback[1] + inner[1])
    print(top[0], describe(top[1], frames, names))
    print(reentry[0], describe(reentry[1], frames, names))


if __name__ == "__main__":
    main()
