#!/usr/bin/env python3
"""The recorder in the stand-in host's scripted mode, as a user would check it.

    recorder_round_trip.py --build BUILD_DIR [--source SOURCE_DIR]

In a fresh copy of the host's run folder, Ctrl+F11, F12 and some typing with
Polish letters, '[' and ']', Tab, Enter and a function key, then Ctrl+F11,
leave nagranie1.txt.  tastiro-check finds nothing in it (exit 0).  Played
with Shift+F11 in another fresh copy, it gives the same editor text.

Then, each in a fresh copy:
  - Ctrl+F12 and Enter while recording write [WAITENTER] at that place;
  - Alt+P without its line in keys.h: the naming question names the key
    ("Alt+P (kod 0x1900)"), and answered "yes" adds one name at the end of
    keys.h (ALT_P; KLAWISZ_1900 when ALT_P stands for another code) and
    records the key by it; the stop notice lists the name with its key;
  - with Klawisz=SHIFT_F11 in the settings (refused), Ctrl+F11 still records.
"""
import os
import shutil
import subprocess
import sys

import e2e_args

RECORD = "<Ctrl+F11><F12>Zażółć gęślą [x]<Tab>12,50<Enter><F2>koniec<Ctrl+F11>"
PLAY = "<Shift+F11>nagranie1.txt<F12>"
EXPECTED = "Zażółć gęślą [x]        12,50\nkoniec\n"


def fresh(source, build, folder):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, folder], check=True)


def host(build, folder, keys, answers=None):
    answer = ["--answers", answers] if answers else []
    done = subprocess.run([os.path.join(build, "wine-run.sh"), os.path.join(folder, "VOLMAR.exe"),
                           "--keys", keys, "--timeout", "60"] + answer, cwd=folder, capture_output=True,
                          stdin=subprocess.DEVNULL, timeout=300)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


QUIET = "[MacroFormFile]\r\nPytaj=1\r\n\r\n[ZapisKlawiszy]\r\nPytaj=1\r\n"


def recorded_in(source, build, name, keys, settings=QUIET, answers=None, keys_h=None):
    """One scripted run in a fresh copy: (nagranie1.txt's bytes or None,
    the host's messages, keys.h's bytes afterwards)."""
    folder = os.path.join(build, "e2e", "recorder", name)
    fresh(source, build, folder)
    with open(os.path.join(folder, "VOLMAR.ini"), "w", newline="") as f:
        f.write(settings)
    keys_path = os.path.join(folder, "wtyczki", "keys.h")
    if keys_h is not None:
        with open(keys_path, "rb") as f:
            original = f.read()
        with open(keys_path, "wb") as f:
            f.write(keys_h(original))
    status, _, messages = host(build, folder, keys, answers)
    path = os.path.join(folder, "nagranie1.txt")
    recording = open(path, "rb").read() if os.path.exists(path) else None
    with open(keys_path, "rb") as f:
        keys_after = f.read()
    return status, recording, messages, keys_after


def second_round(source, build, problems):
    status, recording, messages, _ = recorded_in(
        source, build, "command", "<Ctrl+F11><F12>abc<Ctrl+F12><Enter>def<Ctrl+F11>")
    if status != 0 or recording != b"abc[WAITENTER]def":
        problems.append("Ctrl+F12, Enter: recorded %r (status %d)\n%s" % (recording, status, messages))

    # Alt+P without its line: the question names the key and offers ALT_P;
    # with ALT_P held for another code, KLAWISZ_1900.
    alt_p_line = lambda keys: [line for line in keys.splitlines(True) if line.startswith(b"#define ALT_P ")]
    without_alt_p = lambda keys: keys.replace(alt_p_line(keys)[0], b"")
    alt_p_elsewhere = lambda keys: keys.replace(alt_p_line(keys)[0], b"#define ALT_P 0x3900\n")
    for name, keys_h, offered in (("unnamed", without_alt_p, b"ALT_P"),
                                  ("alt_p_taken", alt_p_elsewhere, b"KLAWISZ_1900")):
        status, recording, messages, keys_after = recorded_in(
            source, build, name, "<Ctrl+F11><F12>a<Alt+P>b<Ctrl+F11>", answers="yes", keys_h=keys_h)
        if status != 0 or recording != b"a[" + offered + b"]b":
            problems.append("Alt+P named on yes: recorded %r (status %d)\n%s" % (recording, status, messages))
        before = keys_h(open(os.path.join(source, "host", "app", "wtyczki", "keys.h"), "rb").read())
        added = keys_after[len(before):]
        define = b"#define " + offered + b" 0x1900"
        if not keys_after.startswith(before) or added.count(b"#define ") != 1 or \
                not added.rstrip(b"\r\n").endswith(define):
            problems.append("keys.h did not get %r at its end: %r" % (define, added))
        for said in ("Klawisz Alt+P (kod 0x1900) nie ma nazwy", "nazwę %s i nagrywać" % offered.decode(),
                     "\n%s (Alt+P)\n" % offered.decode(), "uruchom VOLMAR ponownie"):
            if said not in messages:
                problems.append("the question or the stop notice does not say %r:\n%s" % (said, messages))

    status, recording, messages, _ = recorded_in(
        source, build, "shift_f11", "<Ctrl+F11><F12>xyz<Ctrl+F11>",
        settings=QUIET + "Klawisz=SHIFT_F11\r\n")
    if status != 0 or recording != b"xyz":
        problems.append("Klawisz=SHIFT_F11: recorded %r (status %d)\n%s" % (recording, status, messages))
    if "Ustawienie Klawisz=SHIFT_F11" not in messages:
        problems.append("no notice refusing Klawisz=SHIFT_F11:\n" + messages)


def main():
    build, source = e2e_args.folders(e2e_args.parser().parse_args())
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
    second_round(source, build, problems)
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
