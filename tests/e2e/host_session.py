#!/usr/bin/env python3
"""A person's session with the stand-in host VOLMAR and the plug-in.

The host runs under Wine in a tmux pane; keys are sent as a person presses
them (tmux send-keys) and the screen is read back (capture-pane).  Every
check is on what a person would see on the screen, or find in the files
beside the host afterwards.

    host_session.py --build BUILD_DIR --scenario NAME

Scenarios: first_macro, stop_long_macro, record_and_play, full_disk,
quit_question.
"""
import os
import re
import shutil
import subprocess
import sys
import time

import e2e_args

STAMP = re.compile(r"^\d{4}-\d{2}-\d{2}=\d{2}:\d{2}:\d{2} ")


class Failure(Exception):
    pass


class Skipped(Exception):
    """The scenario cannot run on this machine (said why); exit status 77."""


SKIPPED = 77


class Session:
    """One host in one tmux pane on a private tmux server."""

    def __init__(self, build, folder, name, command=None):
        """`command` (a shell command) runs in the pane instead of the host
        in `folder`; the pane then shows HOST-EXITED-<status> when it ends."""
        self.socket = "volmar-e2e-%s-%d" % (name, os.getpid())
        self.folder = folder
        command = command or ("cd %s/examples && LC_ALL=C.UTF-8 %s/wine-run.sh ../VOLMAR.exe"
                              % (folder, build))
        command += "; echo HOST-EXITED-$?; sleep 600"
        self.tmux("new-session", "-d", "-s", "host", "-x", "100", "-y", "30", command)
        self.socket_path = self.tmux("display-message", "-p", "#{socket_path}").strip()

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket] + list(args), check=True,
                              capture_output=True, text=True).stdout

    def keys(self, *keys, pause=0.3):
        for key in keys:
            self.tmux("send-keys", "-t", "host", key)
            time.sleep(pause)

    def type(self, text):
        self.tmux("send-keys", "-t", "host", "-l", text)
        time.sleep(0.3)

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", "host")

    def wait_for(self, *texts, timeout=60):
        deadline = time.time() + timeout
        while True:
            screen = self.screen()
            if all(text in screen for text in texts):
                return screen
            if time.time() > deadline:
                missing = [text for text in texts if text not in screen]
                raise Failure("not on screen: %r\n--- screen ---\n%s" % (missing, screen))
            time.sleep(0.2)

    def wait_gone(self, text, timeout=20):
        deadline = time.time() + timeout
        while text in self.screen():
            if time.time() > deadline:
                raise Failure("still on screen: %r\n%s" % (text, self.screen()))
            time.sleep(0.2)

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)
        if self.socket_path and os.path.exists(self.socket_path):
            os.remove(self.socket_path)


def expect(condition, message):
    if not condition:
        raise Failure(message)


def lay_out(source, build, name, settings=None):
    folder = os.path.join(build, "e2e", name)
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, folder], check=True)
    if settings is not None:
        with open(os.path.join(folder, "VOLMAR.ini"), "w") as ini:
            ini.write(settings)
    return folder


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def run_scenario(scenarios, run, passed="%s"):
    """The command line of a scenario script: --build, --source (this
    checkout by default) and --scenario, one of `scenarios`.  Calls
    run(scenario, build, source) with absolute paths; a Failure is printed
    as FAILED.  Returns the exit status."""
    parser = e2e_args.parser()
    parser.add_argument("--scenario", required=True, choices=sorted(scenarios))
    args = parser.parse_args()
    try:
        run(args.scenario, *e2e_args.folders(args))
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    except Skipped as skipped:
        print("skipped: %s" % skipped)
        return SKIPPED
    print("passed: " + passed % args.scenario)
    return 0


def first_macro(session, folder):
    # The first activation shows the plug-in's one-time notice.  (The first
    # start may also create the Wine prefix: a minute or more.)
    session.wait_for("Wtyczka 'Tastiromatika'",
                     "Uruchomienie/zatrzymanie makra - klawisz Shift+F11", "Nie pokazuj więcej",
                     timeout=240)
    session.keys("Tab", "Enter")  # "do not show again"
    # The recorder, loaded after the player, shows its own notice next.
    session.wait_for("Wtyczka 'Zapis klawiszy'", "klawisz Ctrl+F11", "Nie pokazuj więcej")
    session.keys("Tab", "Enter")
    session.wait_for("Wiersz 1, kolumna 1")
    session.wait_gone("Nie pokazuj więcej")

    # Shift+F11: the start form with its title, labels, buttons and note.
    session.keys("S-F11")
    session.wait_for("Tastiromatika ─", "F3 Plik", "Przerwa między klawiszami [ms]: 100",
                     "F12 OK", "Zatrzymanie działającgo makra:  Shift+F11")

    # F3 lists the macros of the folder; powitanie.txt is chosen.
    session.keys("F3")
    session.wait_for("Wybierz plik (*.txt)", "petla.txt", "polecenia.txt", "powitanie.txt")
    macros = sorted(name for name in os.listdir(os.path.join(folder, "examples"))
                    if name.endswith(".txt"))
    session.keys(*["Down"] * macros.index("powitanie.txt"), "Enter")
    session.wait_gone("Wybierz plik")
    session.wait_for("F3 Plik  powitanie.txt")

    # Alt+K leads to the delay field; what is typed replaces its value.
    session.keys("M-k")
    session.type("50")
    session.wait_for("Przerwa między klawiszami [ms]: 50 ")

    # F12: the macro types into the editor and ends with its notice.
    session.keys("F12")
    screen = session.wait_for("Dzień dobry!", "Zażółć gęślą jaźń.",
                              "To napisało makro z pliku powitanie.txt.",
                              "Zakończono pracę makra z pliku.")
    session.keys("Enter")
    session.wait_gone("Zakończono pracę")
    screen = session.wait_for("Wiersz 3, kolumna 49")
    expect(screen.startswith("Dzień dobry!\nZażółć gęślą jaźń.\n        To napisało"),
           "editor text:\n" + screen)

    # The log beside the macro holds one stamped line per key, then the notice.
    lines = read(os.path.join(folder, "examples", "powitanie.log")).splitlines()
    expect(lines and all(STAMP.match(line) for line in lines), "unstamped log lines: %r" % lines)
    bodies = [STAMP.sub("", line) for line in lines]
    expect(bodies[:4] == ["{CHAR: D}", "{CHAR: z}", "{CHAR: i}", "{CHAR: e}"], "log: %r" % bodies)
    for body in ["{CHAR: ń}", "[ENTER]", "{CHAR: ż}", "[TAB]"]:
        expect(body in bodies, "%s not in the log: %r" % (body, bodies))
    expect(bodies[-1] == "{KOMUNIKAT: Zakończono pracę makra z pliku.}", "last: %r" % bodies[-1])

    # The settings remember the answer, the file and the delay.
    settings = read(os.path.join(folder, "VOLMAR.ini"))
    for line in ["[MacroFormFile]", "Pytaj=1", "File=powitanie.txt", "Delay=50", "[ZapisKlawiszy]"]:
        expect(line in settings, "%s not in VOLMAR.ini:\n%s" % (line, settings))

    session.keys("F10")
    session.wait_for("HOST-EXITED-0")


def stop_long_macro(session, folder):
    session.wait_for("Wiersz 1, kolumna 1", timeout=240)
    expect("Nie pokazuj" not in session.screen(), "the notice came back")
    session.keys("S-F11")
    session.wait_for("F3 Plik")
    session.type("petla.txt")
    session.keys("F12")
    # The macro types its line again at every Enter until it is stopped.
    for rounds in (1, 2, 3):
        deadline = time.time() + 60
        while session.screen().count("Ala ma kota, a kot ma Alę.") < rounds:
            expect(time.time() < deadline, "the loop does not type:\n" + session.screen())
            time.sleep(0.2)
        if rounds < 3:
            session.keys("Enter")
    session.keys("S-F11")
    session.wait_for("Czy chcesz zatrzymać aktualne makro?", "[ Tak ]", "[ Nie ]")
    session.keys("t")
    screen = session.wait_for("Zakończono pracę makra z pliku")
    expect("Zakończono pracę makra z pliku." not in screen, "the stop notice has a full stop")
    session.keys("Enter")
    session.wait_gone("Zakończono pracę")
    before = session.screen()
    time.sleep(1.0)
    expect(session.screen() == before, "typing went on after the stop")
    session.keys("F10")
    session.wait_for("HOST-EXITED-0")


def editor_text(screen):
    """The editor's lines above the status line, trailing blanks dropped."""
    lines = screen.rstrip("\n").split("\n")[:-1]
    return "\n".join(line.rstrip() for line in lines).rstrip("\n")


# A form's worth of input: Polish letters, Tab, Enter, a function key (F2,
# which the editor ignores), '[' and ']', and arrows that move the caret
# back into the text typed.  (Home and End do not reach Wine inside tmux.)
FORM_INPUT = [("type", "Nazwisko: Żółć"), ("keys", "Tab"), ("type", "Imię: Jaś"), ("keys", "Enter"),
              ("type", "Kwota [zł]: 12,50"), ("keys", "F2", "Left", "Left", "Left"), ("type", "0"),
              ("keys", "Up", "Enter"), ("type", "gęślą")]


def record_and_play(session, folder):
    session.wait_for("Wiersz 1, kolumna 1", timeout=240)
    session.keys("C-F11")
    session.wait_for("Nagrywanie makra", "nagranie1.txt", "F12 OK")
    session.keys("F12")
    session.wait_for("NAGRYWANIE")
    for kind, *what in FORM_INPUT:
        if kind == "type":
            session.type(what[0])
        else:
            session.keys(*what)
    session.keys("C-F11")
    screen = session.wait_for("Nagrywanie zakończone.", "Plik: nagranie1.txt")
    session.keys("Enter")
    session.wait_gone("Nagrywanie zakończone.")
    recorded = editor_text(session.screen())
    expect("NAGRYWANIE" not in session.screen(), "the status line still says NAGRYWANIE")
    session.keys("F10")
    session.wait_for("HOST-EXITED-0")
    path = os.path.join(folder, "examples", "nagranie1.txt")
    expect(os.path.exists(path), "no recording in examples/")
    check = subprocess.run([os.path.join(session.build, "wine-run.sh"), os.path.join(folder, "tastiro-check.exe"),
                            "--keys", "../wtyczki/keys.h", "nagranie1.txt"], cwd=os.path.join(folder, "examples"), capture_output=True,
                           stdin=subprocess.DEVNULL, timeout=300)
    expect(check.returncode == 0, "tastiro-check found something:\n" + check.stdout.decode("utf-8", "replace"))

    # In a fresh host, the player types the recording into an empty editor.
    with open(path, "rb") as file:
        recording = file.read()
    player = Session(session.build, lay_out(session.source, session.build, "record_and_play_again",
                                            "[MacroFormFile]\nPytaj=1\nDelay=0\n[ZapisKlawiszy]\nPytaj=1\n"),
                     "record_and_play_again")
    try:
        with open(os.path.join(player.folder, "examples", "nagranie1.txt"), "wb") as file:
            file.write(recording)
        player.wait_for("Wiersz 1, kolumna 1", timeout=240)
        player.keys("S-F11")
        player.wait_for("F3 Plik")
        player.type("nagranie1.txt")
        player.keys("F12")
        player.wait_for("Zakończono pracę makra z pliku.")
        player.keys("Enter")
        player.wait_gone("Zakończono pracę")
        played = editor_text(player.screen())
        expect(played == recorded, "played:\n%s\n--- recorded:\n%s\n--- file: %r" % (played, recorded, recording))
        player.keys("F10")
        player.wait_for("HOST-EXITED-0")
    finally:
        player.close()


MACRO = 'Hurtownia "Pod Dębem"'


def full_disk(session, folder):
    """A recording into a full disk while a macro plays: the write-failure
    box holds the macro, is seen, and the macro's text then arrives whole."""
    disk = os.path.join(folder, "examples", "pelny")
    os.makedirs(disk, exist_ok=True)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=16k", "tmpfs", disk],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        raise Skipped("a 16 KB tmpfs cannot be mounted here (%s): no full disk to record into"
                      % (mounted.stderr.strip() or "mount ended with %d" % mounted.returncode))
    try:
        # Filled to the last byte; the recording's file itself can still be made.
        with open(os.path.join(disk, "zajete"), "wb", buffering=0) as filler:
            try:
                while True:
                    filler.write(b"\0" * 1024)
            except OSError:
                pass
        with open(os.path.join(folder, "examples", "hurtownia.txt"), "w", encoding="utf-8") as macro:
            macro.write(MACRO)
        session.wait_for("Wiersz 1, kolumna 1", timeout=240)
        session.keys("C-F11")
        session.wait_for("Nagrywanie makra", "pelny\\nagranie1.txt")
        session.keys("F12")
        session.wait_for("NAGRYWANIE")
        session.keys("S-F11")
        session.wait_for("F3 Plik")
        session.type("hurtownia.txt")
        session.keys("F12")
        box = ("Nagrywanie zostało przerwane", "pelny\\nagranie1.txt", "Zapisane klawisze: 0")
        session.wait_for(*box)
        time.sleep(2.0)
        screen = session.wait_for(*box)
        expect("Hurtownia" not in editor_text(screen) and "Hwnia" not in screen,
               "the macro went on under the box:\n" + screen)
        session.keys("Enter")
        session.wait_gone("Nagrywanie zostało przerwane")
        screen = session.wait_for("Zakończono pracę makra z pliku.", timeout=60)
        session.keys("Enter")
        session.wait_gone("Zakończono pracę")
        screen = session.screen()
        expect(editor_text(screen).split("\n")[0] == MACRO,
               "the macro's text did not arrive whole:\n" + screen)
        expect("NAGRYWANIE" not in screen, "the status line still says NAGRYWANIE")
        session.keys("F10")
        session.wait_for("HOST-EXITED-0")
        recording = os.path.join(disk, "nagranie1.txt")
        expect(os.path.exists(recording) and os.path.getsize(recording) == 0,
               "the recording on the full disk is not the empty file made before the first write")
    finally:
        session.close()
        subprocess.run(["umount", "-l", disk], capture_output=True)


QUESTION = "Zakończyć pracę programu VOLMAR?"


def quit_question(session, folder):
    """F10 and Alt+X ask while a recording runs or a macro is open; the
    answer comes from the user's keys alone (Enter keeps VOLMAR running and
    does not end the macro's wait); the macro's own [F10] and [ALT_X] end
    nothing; Tak ends VOLMAR."""
    with open(os.path.join(folder, "examples", "koniec.txt"), "w", encoding="utf-8") as macro:
        macro.write("Przed[F10]po[ALT_X]koniec.[WAITENTER]")
    session.wait_for("Wiersz 1, kolumna 1", timeout=240)
    session.keys("C-F11")
    session.wait_for("Nagrywanie makra", "nagranie1.txt", "F12 OK")
    session.keys("F12")
    session.wait_for("NAGRYWANIE")

    session.keys("M-x")
    session.wait_for("Trwa nagrywanie klawiszy.", QUESTION, "[ Tak ]", "[ Nie ]")
    session.keys("n")
    session.wait_gone(QUESTION)

    session.keys("S-F11")
    session.wait_for("F3 Plik")
    session.type("koniec.txt")
    session.keys("F12")
    session.wait_for("Przedpokoniec.", "Naciśnij klawisz ENTER")
    session.keys("F10")
    session.wait_for("Trwa odtwarzanie makra i nagrywanie klawiszy.", QUESTION)
    session.keys("Enter")
    session.wait_gone(QUESTION)
    time.sleep(1.0)
    screen = session.screen()
    expect("Naciśnij klawisz ENTER" in screen and "Zakończono pracę" not in screen,
           "the Enter that answered the question ended the macro's wait:\n" + screen)
    session.keys("Enter")
    session.wait_for("Zakończono pracę makra z pliku.")
    session.keys("Enter")
    session.wait_gone("Zakończono pracę")

    session.keys("F10")
    session.wait_for("Trwa nagrywanie klawiszy.", QUESTION)
    session.keys("t")
    session.wait_for("HOST-EXITED-0")
    # The key that closed VOLMAR ends the recording, as the user guide says.
    recording = read(os.path.join(folder, "examples", "nagranie1.txt"))
    expect(recording.rstrip().endswith("[F10]"), "the recording:\n" + recording)


SCENARIOS = {
    "first_macro": (first_macro, None),
    "stop_long_macro": (stop_long_macro, "[MacroFormFile]\nPytaj=1\n[ZapisKlawiszy]\nPytaj=1\n"),
    "record_and_play": (record_and_play, "[MacroFormFile]\nPytaj=1\n[ZapisKlawiszy]\nPytaj=1\n"),
    "full_disk": (full_disk, "[MacroFormFile]\nPytaj=1\nDelay=100\n[ZapisKlawiszy]\nPytaj=1\nFolder=pelny\\\n"),
    "quit_question": (quit_question, "[MacroFormFile]\nPytaj=1\nDelay=0\n[ZapisKlawiszy]\nPytaj=1\n"),
}


def main():
    def run_one(scenario, build, source):
        run, settings = SCENARIOS[scenario]
        folder = lay_out(source, build, scenario, settings)
        session = Session(build, folder, scenario)
        session.build, session.source = build, source
        try:
            run(session, folder)
        finally:
            session.close()

    return run_scenario(SCENARIOS, run_one)


if __name__ == "__main__":
    sys.exit(main())
