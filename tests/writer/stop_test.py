#!/usr/bin/env python3
"""A stop signal during a merge leaves no temporary file.

    stop_test.py TASTIRO_MERGE KEYS WORK [RUNNER]

For SIGTERM, SIGINT and SIGHUP: a merge of a large table into -o is started,
stopped by the signal once its temporary file holds bytes, and must end by
that signal, with no temporary file and no output file left.  With RUNNER
(the Wine wrapper, which execs Wine: the signal reaches the Windows
program's process) the Windows program is stopped the same way; Wine ends
it with a status of its own, so only the files are looked at.
"""
import glob
import os
import signal
import subprocess
import sys
import time


def main(merge, keys, work, runner=None):
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(work, "t.txt"), "w", encoding="utf-8") as f:
        f.write("{{Imię}} {{Kwota}}[ENTER]\n")
    with open(os.path.join(work, "d.csv"), "w", encoding="utf-8") as f:
        f.write("Imię;Kwota\n")
        f.write("Jan Kowalski z Łodzi;1 234,50\n" * 2_000_000)
    faults = []
    for stop in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        for left in glob.glob(os.path.join(work, "out.txt*")):
            os.remove(left)
        command = ([runner] if runner else []) + [merge]
        tool = subprocess.Popen(command + ["--keys", keys, "-o", "out.txt", "t.txt", "d.csv"], cwd=work,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 120
        while time.time() < deadline and tool.poll() is None:
            temporary = glob.glob(os.path.join(work, "out.txt*.tmp"))
            if temporary and os.path.getsize(temporary[0]) > 0:
                break
            time.sleep(0.01)
        if tool.poll() is not None:
            faults.append(f"{stop.name}: the merge ended before it could be stopped")
            continue
        tool.send_signal(stop)
        status = tool.wait(60)
        left = glob.glob(os.path.join(work, "out.txt*"))
        if status != -stop and not runner:
            faults.append(f"{stop.name}: exit status {status}, not ended by the signal")
        if left:
            faults.append(f"{stop.name}: left {left}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
