#!/usr/bin/env python3
"""The tools in a Windows console, as a host user meets them.

Each run is a Wine console in a tmux pane; the screen is read back as a
person sees it.

    tool_console.py --build BUILD_DIR --scenario NAME

Scenarios:
  code_pages   tastiro-check in a console set to code page 852, 1250 and
               65001 in turn: the Polish letters show right in each, and the
               colours are shown as colours, never as raw escape codes.
  own_window   tastiro-check.exe started on its own with two macros (as when
               files are dropped on it): it checks against the key names of
               the host folder it stands in, says what it did, offers the
               UTF-8 copy of the one saved in Windows-1250, writes it when
               the user says yes, and waits for Enter.
  merge_drop   tastiro-merge.exe started on its own with a table and a
               template (dropped on it): the macro is written beside the
               template under a new name, with the host folder's key names,
               the table read in its code page; it waits for Enter.  A
               recording dropped with the table: after two questions a
               template is learnt from it and the other rows are merged.

The tools stand where the package puts them: in a folder of their own
inside the host's folder, whose wtyczki\keys.h they use.
"""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session, expect, run_scenario  # noqa: E402

MACRO = "Dzień dobry [enter]\r\nŻółć\r\n".encode("utf-8")
KEYS = b"#define ENTER 13\r\n"


TOOLS = "tastiromatika-1.0.0"


def lay_out(build, name):
    folder = os.path.join(build, "e2e", "tools-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "host", "wtyczki"))
    os.makedirs(os.path.join(folder, "host", TOOLS))
    os.makedirs(os.path.join(folder, "makra"))
    for tool in ["check/tastiro-check.exe", "merge/tastiro-merge.exe"]:
        shutil.copy(os.path.join(build, "tools", tool), os.path.join(folder, "host", TOOLS))
    with open(os.path.join(folder, "host", "wtyczki", "keys.h"), "wb") as file:
        file.write(KEYS)
    with open(os.path.join(folder, "makra", "powitanie.txt"), "wb") as file:
        file.write(MACRO)
    return folder


def tool_window(build, folder, name, tool, files):
    """`tool` (tastiro-check.exe or tastiro-merge.exe) started on its own with
    `files` of the folder's makra, as when they are dropped on it."""
    return Session(build, folder, name,
                   "cd %s/makra && LC_ALL=C.UTF-8 %s/wine-run.sh ../host/%s/%s --lang pl %s"
                   % (folder, build, TOOLS, tool, files))


def code_pages(build):
    folder = lay_out(build, "code-pages")
    runs = " & ".join(("chcp %s >nul & ..\\host\\" + TOOLS + "\\tastiro-check.exe --lang pl --color "
                       "--host ..\\host powitanie.txt & echo PAGE-%s-%%errorlevel%%") % (page, page)
                      for page in ("852", "1250", "65001"))
    session = Session(build, folder, "code-pages",
                      "cd %s/makra && LC_ALL=C.UTF-8 %s/wine-run.sh cmd /c '%s'"
                      % (folder, build, runs))
    try:
        screen = session.wait_for("PAGE-852-1", "PAGE-1250-1", "PAGE-65001-1", "HOST-EXITED")
        for text in ["Dzień dobry [enter]", "ostrzeżenie:", "podpowiedź: czy chodziło o [ENTER]",
                     "ostrzeżenia: 1, błędy: 0"]:
            expect(screen.count(text) == 3, "%r is not shown right under each code page:\n%s"
                   % (text, screen))
        for raw in ["[1m", "[0m", "[35m", "\x1b"]:
            expect(raw not in screen, "a raw colour code %r on the screen:\n%s" % (raw, screen))
        coloured = session.tmux("capture-pane", "-e", "-p", "-t", "host")
        expect("\x1b[" in coloured, "--color shows no colour:\n%s" % coloured)
    finally:
        session.close()


def own_window(build):
    folder = lay_out(build, "own-window")
    with open(os.path.join(folder, "makra", "stare.txt"), "wb") as file:
        file.write("Zamówienie nr 15\r\n".encode("cp1250"))
    session = tool_window(build, folder, "own-window", "tastiro-check.exe",
                          "powitanie.txt stare.txt")
    try:
        screen = session.wait_for("[t/N]")
        flat = screen.replace("\n", "")  # as the window shows it, lines wrapped
        expect("powitanie.txt:1:13: ostrzeżenie: [enter]" in flat, screen)
        expect("„Zamwienie nr 15” [code-page]" in flat, screen)
        expect("host\\wtyczki\\keys.h: uwagi są powyżej" in flat,
               "the window does not say what it did:\n%s" % screen)
        session.type("t")
        session.keys("Enter")
        screen = session.wait_for("Naciśnij Enter, aby zamknąć to okno.")
        expect("stare.txt: zapisano stare-utf8.txt" in screen.replace("\n", ""), screen)
        expect("HOST-EXITED" not in screen, "it did not wait for Enter:\n%s" % screen)
        session.keys("Enter")
        session.wait_for("HOST-EXITED-1")
    finally:
        session.close()
    with open(os.path.join(folder, "makra", "stare-utf8.txt"), "rb") as file:
        expect(file.read() == "Zamówienie nr 15\r\n".encode("utf-8"), "the UTF-8 copy is wrong")


def merge_drop(build):
    folder = lay_out(build, "merge-drop")
    makra = os.path.join(folder, "makra")
    # A Polish name, which the ANSI command line would read as another.
    with open(os.path.join(makra, "klienci łódź.csv"), "wb") as file:
        file.write("Nazwa;Miasto\r\nPiekarnia Kłos;Łódź\r\nWójcik;Kraków\r\n".encode("cp1250"))
    with open(os.path.join(makra, "szablon.txt"), "wb") as file:
        file.write("{{Nazwa}}, {{Miasto}}[ENTER]\r\n".encode("utf-8"))
    with open(os.path.join(makra, "szablon-makro.txt"), "wb") as file:
        file.write(b"the user's own file")
    # The table first, as Explorer may hand them over.
    session = tool_window(build, folder, "merge-drop", "tastiro-merge.exe",
                          "'klienci łódź.csv' szablon.txt")
    try:
        screen = session.wait_for("Naciśnij Enter, aby zamknąć to okno.")
        flat = screen.replace("\n", "")
        expect("Zapisano makro: szablon-makro-2.txt" in flat, "no macro written:\n%s" % screen)
        expect("host\\wtyczki\\keys.h" in flat, "not the host's key names:\n%s" % screen)
        # The table's encoding is guessed as it is read, as on the command
        # line, and the merge's note names it.
        expect("klienci łódź.csv: uwaga: odczytano jako cp1250" in flat,
               "the table's code page is not said:\n%s" % screen)
        expect("HOST-EXITED" not in screen, "it did not wait for Enter:\n%s" % screen)
        session.keys("Enter")
        session.wait_for("HOST-EXITED-0")
    finally:
        session.close()
    with open(os.path.join(makra, "szablon-makro.txt"), "rb") as file:
        expect(file.read() == b"the user's own file", "the user's file was replaced")
    # Two files that cannot be told apart: nothing written, said plainly.
    session = tool_window(build, folder, "merge-drop-two", "tastiro-merge.exe",
                          "szablon.txt szablon-makro.txt")
    try:
        screen = session.wait_for("Naciśnij Enter, aby zamknąć to okno.")
        flat = screen.replace("\n", "")
        expect("nie da się odróżnić tabeli od szablonu" in flat and "Nic nie zapisano." in flat,
               screen)
        session.keys("Enter")
        session.wait_for("HOST-EXITED-2")
    finally:
        session.close()
    expect(not os.path.exists(os.path.join(makra, "szablon-makro-3.txt")), "a file was written")
    with open(os.path.join(makra, "szablon-makro-2.txt"), "rb") as file:
        merged = file.read().decode("utf-8")
    expect(merged.replace("\r\n", "\n") == "Piekarnia Kłos, Łódź[ENTER]\nWójcik, Kraków[ENTER]\n",
           "the merged macro:\n%r" % merged)
    merge_drop_recording(build, folder)


def merge_drop_recording(build, folder):
    """A recording of the first row (a typo corrected in it) dropped with the
    table: learnt into a template, then the other rows merged with it."""
    makra = os.path.join(folder, "makra")
    with open(os.path.join(makra, "nagranie.txt"), "wb") as file:
        file.write("Piekarnia Kłos, Łódx[BACKSPACE]ź[ENTER]\r\n".encode("utf-8"))
    session = tool_window(build, folder, "merge-drop-learn", "tastiro-merge.exe",
                          "nagranie.txt 'klienci łódź.csv'")
    try:
        session.wait_for("Nauczyć się z niego szablonu? [t/n]")
        session.type("t")
        session.keys("Enter")
        screen = session.wait_for("Scalić teraz pozostałe wiersze")
        flat = screen.replace("\n", "")
        expect("wpisane z poprawką (Backspace)" in flat, "the correction is not said:\n%s" % screen)
        session.type("t")
        session.keys("Enter")
        screen = session.wait_for("Naciśnij Enter, aby zamknąć to okno.")
        expect("Zapisano makro: nagranie-makro.txt" in screen.replace("\n", ""), screen)
        session.keys("Enter")
        session.wait_for("HOST-EXITED-0")
    finally:
        session.close()
    with open(os.path.join(makra, "nagranie-szablon.txt"), "rb") as file:
        learnt = file.read().decode("utf-8")
    expect(learnt == "{{Nazwa}}, {{Miasto}}[ENTER]\r\n", "the template:\n%r" % learnt)
    with open(os.path.join(makra, "nagranie-makro.txt"), "rb") as file:
        rest = file.read().decode("utf-8")
    expect(rest == "Wójcik, Kraków[ENTER]\r\n", "the other rows:\n%r" % rest)


SCENARIOS = {"code_pages": code_pages, "own_window": own_window, "merge_drop": merge_drop}


def main():
    return run_scenario(SCENARIOS, lambda scenario, build, source: SCENARIOS[scenario](build))


if __name__ == "__main__":
    sys.exit(main())
