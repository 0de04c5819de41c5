#!/usr/bin/env python3
"""End to end under Wine, timed by the stand-in host itself (--time-keys):
the time of its key loop, so Wine's start-up, the plug-ins' loading and
the printing of the typed text fall out.

    wine_typing.py WIN32_BUILD_DIR SOURCE_DIR WORK_DIR

Each round runs four kinds of host run, alternating, REPEATS times over, and
takes each kind's shortest loop time (the least disturbed on a shared
machine); there are RUNS rounds:

  play        the plug-in plays a 20,000-key macro MACROS times (Shift+F11,
              F12: start form, open, keys, end notice, close), key delay 0
  empty       the same with an empty macro: the fixed cost of a macro
  base        the same host with the pass-through plug-in (its filter hands
              every key back) typing the same keys from its own key queue:
              the user's keys, each given as soon as the host asks
  logged      as `play`, LOGGED_MACROS times, with the macro's log on

From each round's figures:

  per key played   = (play - empty) / keys
  fixed per macro  = empty / MACROS
  per key, base    = base / keys
  ratio            = per key played / per key, base
  per key logged   = (logged - LOGGED_MACROS * fixed per macro) / logged keys

and a run with --paint-stack gives the deepest stack of one outer filter
call (host functions and C runtime included).  The texts the plug-in and the
baseline typed must agree.

Prints "name value value ..." lines, one value per round (ns, or µs for the
fixed cost), and "stack <no-key bytes> <with-key bytes>".
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

KEYS = 20000
MACROS = int(os.environ.get("WINE_TYPING_MACROS", "50"))
LOGGED_MACROS = int(os.environ.get("WINE_TYPING_LOGGED_MACROS", "5"))
RUNS = int(os.environ.get("WINE_TYPING_RUNS", "3"))
REPEATS = int(os.environ.get("WINE_TYPING_REPEATS", "3"))
LINE = "Ala ma kota, a kot ma Ale. Zazolc gesla jazn 0123456789 xyz."
LOOP = re.compile(r"p\u0119tla klawiszy: (\d+) us, (\d+) klawiszy")
STACK = re.compile(r"stos filtra: (\d+) B bez klawisza, (\d+) B z klawiszem")


def texts():
    """The macro file and the host's key script for the same 20,000 keys:
    lines of plain characters, each ended by Enter.  <Wait:0> gives the
    script's next key as soon as the host asks for one."""
    macro, script, count = [], [], 0
    while count < KEYS:
        for c in LINE:
            if count == KEYS:
                break
            macro.append(c)
            script.append("<Wait:0>" + c)
            count += 1
        if count < KEYS:
            macro.append("[ENTER]")
            script.append("<Wait:0><Enter>")
            count += 1
    return "".join(macro), "".join(script)


def lay_out(source, build, folder, plugin):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(source, "scripts", "layout-host.sh"), build, folder],
                   check=True, stdout=subprocess.DEVNULL)
    if plugin != "tastiromatika.dll":
        os.remove(os.path.join(folder, "wtyczki", "tastiromatika.dll"))
        shutil.copy(os.path.join(build, "bench", plugin), os.path.join(folder, "wtyczki"))


def write(path, text):
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


def run(wine, folder, arguments):
    """The host's report on standard error, and the text it typed.  The
    output goes through files, not pipes: a Wine server started by the run
    would hold a pipe open after the run has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run([wine, os.path.join(folder, "VOLMAR.exe")] + arguments +
                              ["--timeout", "600"], cwd=folder, stdout=out, stderr=err,
                              stdin=subprocess.DEVNULL, timeout=900)
        out.seek(0)
        err.seek(0)
        report = err.read().decode("utf-8", "replace")
        if done.returncode != 0:
            raise SystemExit("wine_typing: the host failed (%d): %s" %
                             (done.returncode, report[-500:]))
        return report, out.read()


def loop_time(report):
    """Microseconds of the key loop and the keys it processed."""
    found = LOOP.search(report)
    if not found:
        raise SystemExit("wine_typing: no loop time in the host's report: " + report[-300:])
    return int(found.group(1)), int(found.group(2))


def main():
    build, source, work = (os.path.abspath(path) for path in sys.argv[1:4])
    wine = os.path.join(build, "wine-run.sh")
    macro, script = texts()
    player = os.path.join(work, "player")
    base = os.path.join(work, "base")
    lay_out(source, build, player, "tastiromatika.dll")
    lay_out(source, build, base, "bench_passthrough.dll")
    write(os.path.join(player, "bench.txt"), macro)
    write(os.path.join(player, "logged.txt"), macro)
    write(os.path.join(player, "empty.txt"), "")
    for name, macro_file in (("play", "bench.txt"), ("empty", "empty.txt"),
                             ("logged", "logged.txt")):
        write(os.path.join(player, name + ".ini"),
              "[MacroFormFile]\nPytaj=1\nFile=%s\nDelay=0\n" % macro_file)
    write(os.path.join(base, "keys.txt"), script * MACROS)
    log = os.path.join(player, "logged.log")

    starts = "<Shift+F11><F12>"
    kinds = {
        "play": (player, ["--ini", "play.ini", "--keys", starts * MACROS]),
        "base": (base, ["--keys-file", "keys.txt"]),
        "empty": (player, ["--ini", "empty.ini", "--keys", starts * MACROS]),
        "logged": (player, ["--ini", "logged.ini", "--keys", starts * LOGGED_MACROS]),
    }
    # The bench's own Wine prefix (WINEPREFIX, set by scripts/bench.sh): its
    # first start sets it up, which is no measurement.  Its Wine server is
    # kept up for the whole series and ended afterwards.
    env = dict(os.environ)
    if "WINEPREFIX" not in env:
        raise SystemExit("wine_typing: WINEPREFIX must name the bench's own prefix")
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL, "env": env}
    run(wine, base, ["--keys", ""])
    subprocess.run(["wineserver", "-w"], timeout=60, **quiet)
    subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
    rounds = {name: [] for name in ("per_key", "base_per_key", "ratio", "fixed_us", "logged")}
    typed = {}
    try:
        run(wine, base, ["--keys", ""])
        for _ in range(RUNS):
            times = {}
            for _ in range(REPEATS):
                for kind, (folder, arguments) in kinds.items():
                    write(log, "")  # the log beside the macro, empty for each run
                    report, output = run(wine, folder, ["--time-keys"] + arguments)
                    times[kind] = min(times.get(kind, (float("inf"), 0)), loop_time(report))
                    typed[kind] = output
            keys = KEYS * MACROS
            per_key = max(times["play"][0] - times["empty"][0], 0) * 1000.0 / keys
            base_per_key = times["base"][0] * 1000.0 / keys
            fixed = times["empty"][0] / float(MACROS)
            logged = max(times["logged"][0] - fixed * LOGGED_MACROS, 0) * 1000.0 / (
                KEYS * LOGGED_MACROS)
            rounds["per_key"].append(per_key)
            rounds["base_per_key"].append(base_per_key)
            rounds["ratio"].append(per_key / base_per_key if base_per_key > 0 else float("inf"))
            rounds["fixed_us"].append(fixed)
            rounds["logged"].append(logged)
            print("round: " + " ".join("%s %d us %d keys" % (kind, t[0], t[1])
                                       for kind, t in times.items()), file=sys.stderr)
        # The deepest stack, from one logged macro and one plain one.
        write(log, "")
        report, _ = run(wine, player, ["--paint-stack", "--ini", "logged.ini", "--keys", starts])
        stack_logged = STACK.search(report)
        report, _ = run(wine, player, ["--paint-stack", "--ini", "play.ini", "--keys", starts])
        stack_plain = STACK.search(report)
    finally:
        subprocess.run(["wineserver", "-k"], timeout=60, **quiet)
    if typed["play"] != typed["base"] or len(typed["play"]) < KEYS * MACROS:
        raise SystemExit("wine_typing: the plug-in and the baseline typed different texts")
    if not stack_logged or not stack_plain:
        raise SystemExit("wine_typing: no stack figure in the host's report")

    for name, values in rounds.items():
        print(name + " " + " ".join("%.3f" % v for v in values))
    print("stack %d %d" % (max(int(stack_logged.group(1)), int(stack_plain.group(1))),
                           max(int(stack_logged.group(2)), int(stack_plain.group(2)))))
    print("macros %d %d %d %d" % (MACROS, LOGGED_MACROS, KEYS, REPEATS))


if __name__ == "__main__":
    main()
