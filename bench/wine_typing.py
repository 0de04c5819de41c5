#!/usr/bin/env python3
"""End to end under Wine: the stand-in host in its scripted mode types a
20,000-key text twice over, once played by the plug-in from a macro file
with key delay 0, once from the host's own key queue without the plug-in.

    wine_typing.py WIN32_BUILD_DIR SOURCE_DIR WORK_DIR

One Wine start costs more than the typing itself, so each run plays the
20,000 keys MACROS times over, and the time of a run with nothing to type is
taken off: per 20,000 keys = (median of full runs - median of empty runs) /
MACROS.  The host without the plug-in reads and parses its whole key script
before it types a key, so its empty run reads and parses the same script
too and then leaves at once (F10 as the first key): what is taken off is
all but the typing, as for the host with the plug-in.  Runs of the two
kinds alternate, so a busy moment of the machine hits both.  Both hosts
must end with the same text in the editor.

Prints one line: "<ms with the plug-in> <ms without> <runs> <macros per run>".
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

KEYS = 20000
MACROS = int(os.environ.get("WINE_TYPING_MACROS", "200"))
RUNS = 5
LINE = "Ala ma kota, a kot ma Ale. Zazolc gesla jazn 0123456789 xyz."


def texts():
    """The macro file and the host's key script for the same 20,000 keys:
    lines of plain characters, each ended by Enter."""
    macro, script, count = [], [], 0
    while count < KEYS:
        for c in LINE:
            if count == KEYS:
                break
            macro.append(c)
            script.append(c)
            count += 1
        if count < KEYS:
            macro.append("[ENTER]")
            script.append("<Enter>")
            count += 1
    return "".join(macro), "".join(script)


def lay_out(source, build, folder, with_plugin):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, folder],
                   check=True, stdout=subprocess.DEVNULL)
    if not with_plugin:
        os.remove(os.path.join(folder, "wtyczki", "tastiromatika.dll"))
    with open(os.path.join(folder, "VOLMAR.ini"), "w", encoding="ascii") as ini:
        ini.write("[MacroFormFile]\nPytaj=1\nFile=bench.txt\nDelay=0\n")


def run(wine, folder, arguments):
    """Milliseconds of one host run, and the text it typed.  The output goes
    through files, not pipes: a Wine server started by the run would hold a
    pipe open after the run has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        done = subprocess.run([wine, os.path.join(folder, "VOLMAR.exe")] + arguments +
                              ["--timeout", "120"], cwd=folder, stdout=out, stderr=err,
                              stdin=subprocess.DEVNULL, timeout=180)
        elapsed = (time.monotonic() - start) * 1000.0
        out.seek(0)
        err.seek(0)
        if done.returncode not in (0, 1):  # 1: no plug-in to report as active
            raise SystemExit("wine_typing: the host failed (%d): %s" %
                             (done.returncode, err.read().decode("utf-8", "replace")[-500:]))
        return elapsed, out.read()


def main():
    build, source, work = (os.path.abspath(path) for path in sys.argv[1:4])
    wine = os.path.join(build, "wine-run.sh")
    macro, script = texts()
    with_folder = os.path.join(work, "with_plugin")
    alone_folder = os.path.join(work, "host_alone")
    lay_out(source, build, with_folder, True)
    lay_out(source, build, alone_folder, False)
    with open(os.path.join(with_folder, "bench.txt"), "w", encoding="ascii") as f:
        f.write(macro)
    with open(os.path.join(alone_folder, "keys.txt"), "w", encoding="ascii") as f:
        f.write(script * MACROS)
    with open(os.path.join(alone_folder, "keys-unused.txt"), "w", encoding="ascii") as f:
        f.write("<F10>" + script * MACROS)

    kinds = {
        "with": (with_folder, ["--keys", "<Shift+F11><F12>" * MACROS]),
        "with_empty": (with_folder, ["--keys", ""]),
        "alone": (alone_folder, ["--keys-file", "keys.txt"]),
        "alone_empty": (alone_folder, ["--keys-file", "keys-unused.txt"]),
    }
    # The bench's own Wine prefix (WINEPREFIX, set by scripts/bench.sh): its
    # first start sets it up, which is no measurement.  Its Wine server is
    # kept up for the whole series, so that no run pays for starting it,
    # and is ended afterwards.
    server_env = dict(os.environ)
    if "WINEPREFIX" not in server_env:
        raise SystemExit("wine_typing: WINEPREFIX must name the bench's own prefix")
    run(wine, alone_folder, ["--keys", ""])
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL, "env": server_env}
    subprocess.run(["wineserver", "-w"], timeout=60, **quiet)
    subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
    times = {kind: [] for kind in kinds}
    typed = {}
    try:
        run(wine, alone_folder, ["--keys", ""])
        for _ in range(RUNS):
            for kind, (folder, arguments) in kinds.items():
                elapsed, output = run(wine, folder, arguments)
                times[kind].append(elapsed)
                typed[kind] = output
    finally:
        subprocess.run(["wineserver", "-k"], timeout=60, **quiet)
    if typed["with"] != typed["alone"] or len(typed["with"]) < KEYS * MACROS:
        raise SystemExit("wine_typing: the two hosts typed different texts")

    def per_macro(full, empty):
        return max(statistics.median(times[full]) - statistics.median(times[empty]), 0.0) / MACROS

    print("%.2f %.2f %d %d" % (per_macro("with", "with_empty"), per_macro("alone", "alone_empty"),
                               RUNS, MACROS))
    for kind in kinds:
        print("%s: %s" % (kind, " ".join("%.0f" % t for t in times[kind])), file=sys.stderr)


if __name__ == "__main__":
    main()
