#!/usr/bin/env python3
"""A long merged run stopped in the middle of a row and finished with
--resume, in the stand-in host's scripted mode under Wine.

    resume_run.py --build BUILD_DIR [--source SOURCE_DIR]

1. tastiro-merge.exe merges 30 customers into a macro; each row types the
   name, Tab, waits for Enter ([WAIT]), then types the NIP and Enter.  The
   macro's log is made beside it.
2. VOLMAR plays it: Enter is pressed 16 times, then Shift+F11 and "yes"
   stop it while row 17 waits, half typed.
3. tastiro-merge.exe --resume says rows 1-16 went in whole and row 17 was
   cut, and writes the rest from row 17.
4. The cut row is cleared (as the message says) and VOLMAR plays the rest.
5. The two editors' texts together hold every row once, and --resume on
   the rest's log finds nothing left to type.
"""
import os
import shutil
import subprocess
import sys

import e2e_args

ROWS, STOP_IN = 30, 17


def row_text(n):
    return "Firma %d\t52600011%02d\n" % (n, n)


def rows_of(editor):
    """The editor's lines, each with its blanks as one (it shows a tab as blanks)."""
    return [" ".join(line.split()) for line in editor.rstrip("\n").split("\n")]


def run(build, command, folder):
    done = subprocess.run([os.path.join(build, "wine-run.sh")] + command, cwd=folder,
                          capture_output=True, stdin=subprocess.DEVNULL, timeout=300)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def play(build, folder, macro, enters, stop):
    keys = "<Shift+F11>%s<F12>" % macro + "<Enter>" * enters + ("<Shift+F11>" if stop else "")
    arguments = ["--keys", keys, "--timeout", "120"] + (["--answers", "yes"] if stop else [])
    return run(build, [os.path.join(folder, "..", "VOLMAR.exe")] + arguments, folder)


def merge(build, folder, *arguments):
    tool = os.path.join(build, "tools", "merge", "tastiro-merge.exe")
    return run(build, [tool, "--lang", "pl", "--host", ".."] + list(arguments), folder)


def check(problems, condition, what, *shown):
    if not condition:
        problems.append(what + "".join("\n--- %s" % text for text in shown))


def main():
    build, source = e2e_args.folders(e2e_args.parser().parse_args())
    host = os.path.join(build, "e2e", "resume")
    shutil.rmtree(host, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, host], check=True)
    folder = os.path.join(host, "examples")
    with open(os.path.join(folder, "klienci.csv"), "w", encoding="utf-8") as table:
        table.write("Nazwa;NIP\n" + "".join(row_text(n).replace("\t", ";") for n in range(1, ROWS + 1)))
    with open(os.path.join(folder, "szablon.txt"), "w", encoding="utf-8") as template:
        template.write("{{Nazwa}}[TAB][WAIT]{{NIP}}[ENTER]\n")
    problems = []

    status, out, err = merge(build, folder, "-o", "faktury.txt", "szablon.txt", "klienci.csv")
    check(problems, status == 0 and os.path.exists(os.path.join(folder, "faktury.log")),
          "the merge made no macro and log (exit %d)" % status, out, err)
    status, first, err = play(build, folder, "faktury.txt", STOP_IN - 1, True)
    check(problems, "Zakończono pracę makra z pliku\n" in err, "the run was not stopped", first, err)
    expected = rows_of("".join(row_text(n) for n in range(1, ROWS + 1)))
    typed = rows_of(first)
    check(problems, typed[:STOP_IN - 1] == expected[:STOP_IN - 1] and
          typed[STOP_IN - 1:] == ["Firma %d" % STOP_IN],
          "the first run did not stop in row %d" % STOP_IN, first)

    status, out, err = merge(build, folder, "szablon.txt", "klienci.csv", "--resume", "faktury.log",
                             "-o", "reszta.txt")
    for text in ("wiersze 1–%d wpisane w całości" % (STOP_IN - 1),
                 "wiersz %d przerwany po 9 z 20 wysłanych klawiszy: «Firma %d[TAB]»" % (STOP_IN, STOP_IN),
                 "pierwszy wiersz do wpisania: %d" % STOP_IN):
        check(problems, status == 0 and text in out, "--resume did not say: " + text, out, err)

    # The half-typed entry of the cut row cleared, as the message says.
    status, rest, err = play(build, folder, "reszta.txt", ROWS - STOP_IN + 1, False)
    check(problems, typed[:STOP_IN - 1] + rows_of(rest) == expected,
          "the two runs did not type every row once", first, rest)

    status, out, err = merge(build, folder, "szablon.txt", "klienci.csv", "--resume", "reszta.log",
                             "-o", "nic.txt")
    check(problems, status == 0 and "wszystkie wiersze wpisane" in out and
          not os.path.exists(os.path.join(folder, "nic.txt")),
          "--resume after the full run found something to type", out, err)
    for problem in problems:
        print("FAILED: " + problem)
    if not problems:
        print("passed: a run stopped in row %d, resumed there, every row typed once" % STOP_IN)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
