#!/usr/bin/env python3
"""The dry run and the real player agree key for key on the shared macro.

Runs, side by side under Wine:
  - the real tastiromatika.dll in the Wine tests' recording host
    (VOLMAR.exe shared-macro-dry-run --stream FILE), which writes every
    HostPostKey argument and every HostTypeText text in order;
  - tastiro-check.exe --dry-run --json --keys tests/data/keys.h --delay 0
    tests/data/shared_macro.txt;
and compares the two streams item for item: the keys with their full codes
and the typed texts, in order, over the whole playback.

Both sides play the same rounds.  The shared macro ends in RESTART, so it
plays until the user stops it; the checker plays it through twice (every
wait answered at once, the question SF11 raises answered no) and then stops
it as the user would: Shift+F11 right after the second RESTART, answered
yes.  The test host's scenario scripts exactly those answers, so the whole
stream is compared, not just a common prefix, and neither side may hand
over a key or text more or fewer.

  dry_run_agrees.py --runner WINE_RUN --host VOLMAR.exe --tool tastiro-check.exe
                    --source SOURCE_DIR --work SCRATCH_DIR
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

MACRO = "tests/data/shared_macro.txt"
KEYS = "tests/data/keys.h"

# What a command hands the host through HostPostKey.  The checker's JSON
# names the command; the player hands over the no-key code with the high
# word set for the five commands, and Shift+F11 with the high word set for
# SF11 (which comes back to the player as the user's Shift+F11).
COMMAND_KEY = 0xFFFFFFFF
SF11_KEY = 0xFFFF8700


def command(program, *arguments, runner):
    return ([runner] if runner else []) + [program, *arguments]


def checker_items(report):
    """The checker's stream as ("post", key) and ("text", text) items, each
    with the place it came from ("3:17 pass 1"); the other kinds (the user's
    actions, questions, restart, end, stopped) are no host call of the
    plug-in's and are left out."""
    items = []
    for entry in report["stream"]:
        kind = entry["kind"]
        where = "%s:%s pass %s" % (entry["line"], entry["column"], entry["pass"])
        if kind in ("character", "key"):
            items.append((("post", entry["code"]), where))
        elif kind == "command":
            key = SF11_KEY if entry["name"] == "SF11" else COMMAND_KEY
            items.append((("post", key), where))
        elif kind == "text":
            items.append((("text", entry["text"]), where))
    return items


def host_items(path):
    items = []
    with open(path, encoding="utf-8") as stream:
        for number, line in enumerate(stream, 1):
            entry = json.loads(line)
            where = "call %d" % number
            if "post" in entry:
                items.append((("post", entry["post"]), where))
            else:
                items.append((("text", entry["text"]), where))
    return items


def shown(item):
    if item is None:
        return "(nothing)"
    what, value = item
    if what == "text":
        return "text %s" % json.dumps(value, ensure_ascii=False)
    low = value & 0xFFFF
    character = " %r" % chr(low) if 0x20 <= low < 0x7F and value == low else ""
    return "key  0x%X%s" % (value, character)


def compare(player, checker):
    """Item for item; on the first difference prints a window around it."""
    count = max(len(player), len(checker))
    for index in range(count):
        left = player[index] if index < len(player) else (None, "")
        right = checker[index] if index < len(checker) else (None, "")
        if left[0] == right[0]:
            continue
        print("the streams differ at item %d of %d (player) / %d (checker):"
              % (index + 1, len(player), len(checker)))
        print("  %-5s %-34s %-12s %s" % ("item", "player (Wine)", "", "tastiro-check"))
        for near in range(max(0, index - 5), min(count, index + 6)):
            p = player[near] if near < len(player) else (None, "")
            c = checker[near] if near < len(checker) else (None, "")
            mark = ">>" if near == index else "  "
            print("%s%-5d %-34s %-12s %-34s %s"
                  % (mark, near + 1, shown(p[0]), p[1], shown(c[0]), c[1]))
        return False
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="", help="the Wine wrapper; empty on Windows")
    parser.add_argument("--host", required=True, help="VOLMAR.exe of the Wine tests")
    parser.add_argument("--tool", required=True, help="tastiro-check.exe")
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--work", required=True, help="a scratch folder, emptied first")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    stream_path = os.path.join(args.work, "stream.jsonl")

    # Both at once: the player's run takes its real pauses (DELAY, the
    # WAITENTER notice), the checker's takes none.
    host = subprocess.Popen(
        command(args.host, "shared-macro-dry-run", "--stream", "stream.jsonl",
                runner=args.runner),
        cwd=args.work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    tool = subprocess.run(
        command(args.tool, "--dry-run", "--json", "--keys", KEYS, "--delay", "0", MACRO,
                runner=args.runner),
        cwd=args.source, capture_output=True, timeout=120)
    host_output = host.communicate(timeout=120)[0].decode("utf-8", "replace")

    ok = True
    if host.returncode != 0:
        print("the test host's scenario failed (exit status %d):\n%s"
              % (host.returncode, host_output))
        ok = False
    # 1: the macro has findings (a word typed as text, [wait], SF11), as meant.
    if tool.returncode not in (0, 1):
        print("tastiro-check ended with status %d:\n%s%s"
              % (tool.returncode, tool.stdout.decode("utf-8", "replace"),
                 tool.stderr.decode("utf-8", "replace")))
        return 1
    if not ok:
        return 1

    report = json.loads(tool.stdout.decode("utf-8"))["macros"][0]
    kinds = [entry["kind"] for entry in report["stream"]]
    if not report["summary"]["restarts"] or kinds[-1] != "stopped" or "restart" not in kinds:
        print("the checker did not play the macro twice and stop it: %s" % kinds[-4:])
        return 1

    player = host_items(stream_path)
    checker = checker_items(report)
    if not compare(player, checker):
        return 1
    posted = sum(1 for (what, value), _ in player if what == "post" and value & 0xFFFF != 0xFFFF)
    if posted != report["summary"]["keys"]:
        print("the player posted %d keys, the checker's summary counts %d"
              % (posted, report["summary"]["keys"]))
        return 1
    texts = sum(1 for (what, _), _ in player if what == "text")
    print("the dry run and the player agree on all %d items: %d keys (%d with the no-key "
          "code of a command) and %d texts, two rounds, stopped after the second RESTART"
          % (len(player), len(player) - texts, len(player) - texts - posted, texts))
    return 0


if __name__ == "__main__":
    sys.exit(main())
