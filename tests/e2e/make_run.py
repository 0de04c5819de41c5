#!/usr/bin/env python3
"""`make run` as a user meets it: scripts/run-host.sh with its own run folder.

    make_run.py --build BUILD_DIR [--source SOURCE_DIR] --scenario NAME

Scenarios:
  twice_in_terminal  two runs in a tmux pane; what the user edited, added or
                     logged between them is there byte for byte afterwards,
                     and the second run plays the edited macro.
  no_terminal        without a terminal the run prints the settings it used,
                     the typed text and only the log lines it added.
"""
import os
import re
import shutil
import subprocess
import sys

from host_session import Session, expect, run_scenario

STAMP = re.compile(r"^\d{4}-\d{2}-\d{2}=\d{2}:\d{2}:\d{2} ", re.M)
OLD_LINE = b"2001-02-03=04:05:06 {NAPIS: z poprzedniej sesji}\r\n"


def read(path):
    with open(path, "rb") as file:
        return file.read()


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def run_in_pane(source, build, folder, name):
    command = "cd %s && %s/scripts/run-host.sh %s %s" % (source, source, build, folder)
    return Session(build, folder, name, command)


def twice_in_terminal(source, build, folder):
    os.makedirs(folder)
    # Both plug-ins' notices answered already: the host opens on the editor.
    write(os.path.join(folder, "VOLMAR.ini"),
          b"[MacroFormFile]\r\nPytaj=1\r\n[ZapisKlawiszy]\r\nPytaj=1\r\n")
    session = run_in_pane(source, build, folder, "make-run-1")
    try:
        session.wait_for("Wiersz 1, kolumna 1", timeout=240)
        session.keys("F10")
        # Once the host has left the screen, the run says where the files are.
        session.wait_for("HOST-EXITED-0", "Macros and their logs: ",
                         "make run adds only what is missing")
    finally:
        session.close()

    # The user edits an example, adds a key name, a macro of their own and a
    # log line.
    mine = {
        os.path.join(folder, "examples", "powitanie.txt"): b"Moja wersja makra.[ENTER]",
        os.path.join(folder, "examples", "moje.txt"): b"Moje makro.",
    }
    keys = os.path.join(folder, "wtyczki", "keys.h")
    mine[keys] = read(keys) + b"#define MOJ_KLAWISZ 0x3B00\r\n"
    log = os.path.join(folder, "examples", "powitanie.log")
    mine[log] = read(log) + OLD_LINE
    for path, data in mine.items():
        write(path, data)

    session = run_in_pane(source, build, folder, "make-run-2")
    try:
        session.wait_for("Wiersz 1, kolumna 1", timeout=120)
        session.keys("S-F11")
        session.wait_for("F3 Plik")
        session.type("powitanie.txt")
        session.keys("F12")
        session.wait_for("Moja wersja makra.", "Zakończono pracę makra z pliku.")
        session.keys("Enter", "F10")
        session.wait_for("HOST-EXITED-0")
    finally:
        session.close()
    for path, data in mine.items():
        now = read(path)
        if path == log:  # the run appends to the log, after what was there
            expect(now.startswith(data) and len(now) > len(data), "log not kept: %r" % now[:200])
        else:
            expect(now == data, "%s changed: %r" % (path, now[:200]))
    expect(b"Pytaj=1" in read(os.path.join(folder, "VOLMAR.ini")), "the settings were replaced")


def run_without_terminal(source, build, folder):
    done = subprocess.run([os.path.join(source, "scripts", "run-host.sh"), build, folder],
                          capture_output=True, stdin=subprocess.DEVNULL, timeout=300)
    out = done.stdout.decode("utf-8")
    expect(done.returncode == 0, "status %d\n%s%s" % (done.returncode, out, done.stderr.decode()))
    return out


def no_terminal(source, build, folder):
    run_without_terminal(source, build, folder)
    log = os.path.join(folder, "examples", "powitanie.log")
    write(log, read(log) + OLD_LINE)
    write(os.path.join(folder, "VOLMAR.ini"), b"[MacroFormFile]\r\nPytaj=1\r\nDelay=7\r\n")
    before = read(log)

    out = run_without_terminal(source, build, folder)
    for text in ["Macros and their logs: ", "Settings used: key delay 7 ms",
                 "== Text typed into the editor ==\nDzień dobry!\nZażółć gęślą jaźń.\n"
                 "        To napisało makro z pliku powitanie.txt.\n",
                 "{CHAR: ń}", "[ENTER]", "{KOMUNIKAT: Zakończono pracę makra z pliku.}"]:
        expect(text in out, "not printed: %r\n%s" % (text, out))
    expect("2001-02-03" not in out, "a log line from before the run was printed:\n" + out)
    after = read(log)
    expect(after.startswith(before), "the log lost what it held")
    added = after[len(before):].decode("utf-8")
    expect(len(STAMP.findall(out)) == len(STAMP.findall(added)) > 0,
           "printed log lines differ from those added:\n" + out)


SCENARIOS = {"twice_in_terminal": twice_in_terminal, "no_terminal": no_terminal}


def main():
    def run_one(scenario, build, source):
        folder = os.path.join(build, "e2e", "make_run_" + scenario)
        shutil.rmtree(folder, ignore_errors=True)
        SCENARIOS[scenario](source, build, folder)

    return run_scenario(SCENARIOS, run_one, "make run, %s")


if __name__ == "__main__":
    sys.exit(main())
