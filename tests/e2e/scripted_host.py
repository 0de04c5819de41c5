#!/usr/bin/env python3
"""The stand-in host in its scripted mode (make_run.py has `make run` itself).

    scripted_host.py --build BUILD_DIR [--source SOURCE_DIR]

Each case runs VOLMAR.exe under Wine with scripted keys and switches, and
checks what it printed, its exit status and the files beside it.
"""
import os
import shutil
import subprocess
import sys

import e2e_args

VERSION_MESSAGE = 'Moduł "tastiromatika.dll" i program występują w różnych wersjach!'

# name, arguments, texts expected on standard error, on standard output, exit
# status, and optionally the files to write into examples/ first
CASES = [
    ("macro with a wait for Enter and a halt",
     ["--keys", "<Shift+F11>polecenia.txt<F12><Enter><Shift+F11>"],
     ["Naciśnij klawisz ENTER, gdy skończysz\naby kontynuować makro",
      "Makro zostało zatrzymane. Ponowne uruchomienie Shift+F11",
      "Zakończono pracę makra z pliku.\n"],
     ["Za chwilę makro poczeka na Enter.\nDziękuję! Teraz makro stanie aż do Shift+F11.\nKoniec pokazu.\n"],
     0),
    ("a long macro stopped with Shift+F11 and yes",
     ["--keys", "<Shift+F11>petla.txt<F12><Enter><Enter><Shift+F11>", "--answers", "yes"],
     ["Czy chcesz zatrzymać aktualne makro?\n-> Tak", "Zakończono pracę makra z pliku\n-> OK"],
     ["Ala ma kota, a kot ma Alę. \nAla ma kota, a kot ma Alę. \nAla ma kota, a kot ma Alę. \n"],
     0),
    ("a macro file that is not there",
     ["--keys", "<Shift+F11>nie-ma.txt<F12>"],
     ["Błąd 2 (systemowy 2) przy ładowaniu makra z pliku 'nie-ma.txt'"], [], 1),
    ("the host refuses the plug-in",
     ["--refuse", "Nie tym razem", "--keys", ""],
     ["== błąd: STOP!!! ==\nNie tym razem\n", "tastiromatika.dll: odrzuciła program"], [], 1),
    ("features the host lacks",
     ["--features", "3", "--keys", ""],
     ["Program nie obsługuje cech 0x00000002,"], [], 1),
    ("a host older than the plug-in",
     ["--build-date", "May 16 2023", "--keys", ""], [VERSION_MESSAGE], [], 1),
    ("another interface level",
     ["--api-level", "113", "--keys", ""], [VERSION_MESSAGE], [], 1),
    ("host functions withdrawn",
     ["--withdraw", "52249,35800", "--api-level", "111", "--keys", ""],
     ["funkcje o numerach 35800, 52249 z modułu głównego,\njednak moduł główny ich nie posiada."],
     [], 1),
    ("the key loop timed and the filters' stack painted",
     ["--time-keys", "--paint-stack", "--keys", "<Shift+F11>powitanie.txt<F12>"],
     ["pętla klawiszy: ", " us, ", " klawiszy\n", "stos filtra: ", " B z klawiszem\n"],
     ["Dzień dobry!\n"], 0),
    ("a key the script cannot name",
     ["--keys", "<Shift+F13>"], ["unknown key <Shift+F13>"], [], 2),
    ("F10 while a macro waits: asked, Nie keeps it running, Tak ends the program",
     ["--keys", "<Shift+F11>petla.txt<F12><F10><Enter><Alt+X>", "--answers", "no,yes"],
     ["== pytanie: VOLMAR ==\nTrwa odtwarzanie makra.\nZakończyć pracę programu VOLMAR?\n",
      "Nie (także Enter, Esc) - VOLMAR pracuje dalej.\n-> Nie\n", "VOLMAR pracuje dalej.\n-> Tak\n"],
     ["Ala ma kota, a kot ma Alę. \nAla ma kota, a kot ma Alę. \n"], 0),
    ("a macro's own [F10] and [ALT_X] do not end the program",
     ["--keys", "<Shift+F11>koniec.txt<F12>"], ["Zakończono pracę makra z pliku."],
     ["Przedpokoniec.\n"], 0, {"koniec.txt": "Przed[F10]po[ALT_X]koniec."}),
]


def run_case(build, folder, case):
    name, arguments, errors, outputs, status, *files = case
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(SOURCE, "scripts", "layout-host.sh"), build, folder], check=True)
    for file_name, text in (files[0] if files else {}).items():
        with open(os.path.join(folder, "examples", file_name), "w", encoding="utf-8") as macro:
            macro.write(text)
    done = subprocess.run([os.path.join(build, "wine-run.sh"), os.path.join(folder, "VOLMAR.exe")]
                          + arguments + ["--timeout", "60"],
                          cwd=os.path.join(folder, "examples"), capture_output=True,
                          stdin=subprocess.DEVNULL, timeout=300)
    stdout, stderr = done.stdout.decode("utf-8"), done.stderr.decode("utf-8")
    problems = ["exit status %d, expected %d" % (done.returncode, status)] if done.returncode != status else []
    problems += ["not on standard error: %r" % text for text in errors if text not in stderr]
    problems += ["not on standard output: %r" % text for text in outputs if text not in stdout]
    if problems:
        print("FAILED: %s\n  %s\n--- stdout ---\n%s--- stderr ---\n%s" %
              (name, "\n  ".join(problems), stdout, stderr))
        return False
    print("passed: %s" % name)
    return True


def main():
    global SOURCE
    build, SOURCE = e2e_args.folders(e2e_args.parser().parse_args())
    folder = os.path.join(build, "e2e", "scripted")
    results = [run_case(build, folder, case) for case in CASES]
    return 0 if all(results) else 1


SOURCE = None

if __name__ == "__main__":
    sys.exit(main())
