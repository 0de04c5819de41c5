#!/usr/bin/env python3
"""The recorder in the stand-in host's scripted mode, as a user would check it.

    recorder_round_trip.py --build BUILD_DIR [--source SOURCE_DIR]

In a fresh copy of the host's run folder, Ctrl+F11, F12 and some typing with
Polish letters, '[' and ']', Tab, Enter and a function key, then Ctrl+F11,
leave nagranie1.txt.  tastiro-check finds nothing in it (exit 0).  Played
with Shift+F11 in another fresh copy, it gives the same editor text.
"""
import argparse
import os
import shutil
import subprocess
import sys

RECORD = "<Ctrl+F11><F12>Zażółć gęślą [x]<Tab>12,50<Enter><F2>koniec<Ctrl+F11>"
PLAY = "<Shift+F11>nagranie1.txt<F12>"
EXPECTED = "Zażółć gęślą [x]        12,50\nkoniec\n"


def fresh(source, build, folder):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, folder], check=True)


def host(build, folder, keys):
    done = subprocess.run([os.path.join(build, "wine-run.sh"), os.path.join(folder, "VOLMAR.exe"),
                           "--keys", keys, "--timeout", "60"], cwd=folder, capture_output=True,
                          stdin=subprocess.DEVNULL, timeout=300)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", default=os.path.join(os.path.dirname(__file__), "..", ".."))
    args = parser.parse_args()
    source, build = os.path.abspath(args.source), os.path.abspath(args.build)
    problems = []

    recording = os.path.join(build, "e2e", "recorder", "record")
    fresh(source, build, recording)
    status, typed, messages = host(build, recording, RECORD)
    if status != 0:
        problems.append("the recording run ended with %d" % status)
    if typed != EXPECTED:
        problems.append("the recording run typed %r, expected %r" % (typed, EXPECTED))
    if "Zapisane klawisze: 30" not in messages:
        problems.append("the stop notice does not say 30 keys written")
    for loaded in ["wtyczka tastiromatika.dll: aktywna", "wtyczka zapis-klawiszy.dll: aktywna"]:
        if loaded not in messages:
            problems.append("not loaded: %r" % loaded)
    path = os.path.join(recording, "nagranie1.txt")
    if not os.path.exists(path):
        problems.append("no nagranie1.txt")
        return report(problems, messages)
    with open(path, "rb") as f:
        recorded = f.read()

    check = subprocess.run([os.path.join(build, "wine-run.sh"), os.path.join(recording, "tastiro-check.exe"),
                            "nagranie1.txt"], cwd=recording, capture_output=True,
                           stdin=subprocess.DEVNULL, timeout=300)
    if check.returncode != 0:
        problems.append("tastiro-check nagranie1.txt ended with %d:\n%s" %
                        (check.returncode, check.stdout.decode("utf-8", "replace")))

    playing = os.path.join(build, "e2e", "recorder", "play")
    fresh(source, build, playing)
    with open(os.path.join(playing, "nagranie1.txt"), "wb") as f:
        f.write(recorded)
    status, played, messages = host(build, playing, PLAY)
    if status != 0:
        problems.append("the playing run ended with %d" % status)
    if played != typed:
        problems.append("played %r, recorded %r" % (played, typed))
    return report(problems, messages, recorded)


def report(problems, messages, recorded=b""):
    if problems:
        print("FAILED:\n  " + "\n  ".join(problems))
        print("--- recording ---\n%r\n--- host messages ---\n%s" % (recorded, messages))
        return 1
    print("passed: recorded %d bytes, checked clean, played back the same text" % len(recorded))
    return 0


if __name__ == "__main__":
    sys.exit(main())
