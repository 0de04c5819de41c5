#!/usr/bin/env python3
"""End to end under Wine, timed by the stand-in host itself (--time-keys):
the time of its key loop, so Wine's start-up, the plug-ins' loading and
the printing of the typed text fall out.

    wine_typing.py WIN32_BUILD_DIR SOURCE_DIR WORK_DIR

Each round runs six kinds of host run, alternating, REPEATS times over, and
takes each kind's shortest loop time (the least disturbed on a shared
machine); there are RUNS rounds:

  play        the plug-in plays a 20,000-key macro MACROS times (Shift+F11,
              F12: start form, open, keys, end notice, close), key delay 0
  empty       the same with an empty macro: the fixed cost of a macro
  base        the same host with the pass-through plug-in (its filter hands
              every key back) typing the same keys from its own key queue:
              the user's keys, each given as soon as the host asks
  logged      as `play`, LOGGED_MACROS times, with the macro's log on
  plain       as `play` with a macro of plain characters only (no bracketed
              word, no line break): every key a played plain character
  floor       the same host with the floor plug-in (bench/floor), which for
              each key makes the host calls a played plain character makes
              and nothing else, typing the same characters from the same
              file, started by Shift+F11 MACROS times

The host also times every run of 10,000 keys its loop processes; the lower
quartile of those runs is the per-key figure, since on a shared machine the
shorter runs are the ones nothing else interrupted.  From each round:

  per key played   = lower quartile of `play`'s runs / 10,000
  per key, base    = lower quartile of `base`'s runs / 10,000
  ratio            = per key played / per key, base
  floor ratio      = per key of `plain` / per key of `floor`
  per key logged   = lower quartile of `logged`'s runs / 10,000
  fixed per macro  = empty / MACROS (whole loop times)
  whole, per key   = (play - empty) / keys (whole loop times, for comparison)

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
RUNS = int(os.environ.get("WINE_TYPING_RUNS", "5"))
REPEATS = int(os.environ.get("WINE_TYPING_REPEATS", "5"))
LINE = "Ala ma kota, a kot ma Ale. Zazolc gesla jazn 0123456789 xyz."
LOOP = re.compile(r"p\u0119tla klawiszy: (\d+) us, (\d+) klawiszy")
CHUNKS = re.compile(r"odcinki po (\d+) klawiszy: (\d+), najkr\u00f3tszy (\d+) us, "
                    r"dolny kwartyl (\d+) us, mediana (\d+) us")
STACK = re.compile(r"stos filtra: (\d+) B bez klawisza, (\d+) B z klawiszem")


def plain_text():
    """The macro of the plain and floor runs: KEYS plain characters, the
    same line over and over with no line break."""
    return (LINE * (KEYS // len(LINE) + 1))[:KEYS]


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
    """Microseconds of the key loop, the keys it processed, and nanoseconds
    per key in the lower quartile of its runs of 10,000 keys (infinite for a
    run that typed fewer keys than that)."""
    found = LOOP.search(report)
    if not found:
        raise SystemExit("wine_typing: no loop time in the host's report: " + report[-300:])
    chunks = CHUNKS.search(report)
    per_key = int(chunks.group(4)) * 1000.0 / int(chunks.group(1)) if chunks else float("inf")
    return int(found.group(1)), int(found.group(2)), per_key


def main():
    build, source, work = (os.path.abspath(path) for path in sys.argv[1:4])
    wine = os.path.join(build, "wine-run.sh")
    macro, script = texts()
    player = os.path.join(work, "player")
    base = os.path.join(work, "base")
    floor = os.path.join(work, "floor")
    lay_out(source, build, player, "tastiromatika.dll")
    lay_out(source, build, base, "bench_passthrough.dll")
    lay_out(source, build, floor, "bench_floor.dll")
    write(os.path.join(player, "plain.txt"), plain_text())
    write(os.path.join(floor, "floor.txt"), plain_text())
    write(os.path.join(player, "bench.txt"), macro)
    write(os.path.join(player, "logged.txt"), macro)
    write(os.path.join(player, "empty.txt"), "")
    for name, macro_file in (("play", "bench.txt"), ("empty", "empty.txt"),
                             ("logged", "logged.txt"), ("plain", "plain.txt")):
        write(os.path.join(player, name + ".ini"),
              "[MacroFormFile]\nPytaj=1\nFile=%s\nDelay=0\n" % macro_file)
    write(os.path.join(base, "keys.txt"), script * MACROS)
    log = os.path.join(player, "logged.log")

    starts = "<Shift+F11><F12>"
    # The order of a repeat: the plain and floor runs side by side, and
    # neither right after the logged run, whose log the system is still
    # writing out when the next run starts.
    kinds = {
        "play": (player, ["--ini", "play.ini", "--keys", starts * MACROS]),
        "base": (base, ["--keys-file", "keys.txt"]),
        "plain": (player, ["--ini", "plain.ini", "--keys", starts * MACROS]),
        "floor": (floor, ["--keys", "<Shift+F11>" * MACROS]),
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
    rounds = {name: [] for name in ("per_key", "base_per_key", "ratio", "fixed_us", "logged",
                                    "whole_per_key", "plain_per_key", "floor_per_key",
                                    "floor_ratio")}
    typed = {}
    try:
        run(wine, base, ["--keys", ""])
        for _ in range(RUNS):
            times = {}
            for _ in range(REPEATS):
                for kind, (folder, arguments) in kinds.items():
                    write(log, "")  # the log beside the macro, empty for each run
                    report, output = run(wine, folder, ["--time-keys"] + arguments)
                    figures = loop_time(report)
                    best = times.setdefault(kind, figures)
                    # Each figure's least disturbed value among the repeats.
                    times[kind] = (min(best[0], figures[0]), figures[1], min(best[2], figures[2]))
                    typed[kind] = output
            keys = KEYS * MACROS
            empty = times["empty"][0]
            fixed = empty / float(MACROS)
            per_key, base_per_key = times["play"][2], times["base"][2]
            rounds["per_key"].append(per_key)
            rounds["base_per_key"].append(base_per_key)
            rounds["ratio"].append(per_key / base_per_key if base_per_key > 0 else float("inf"))
            rounds["fixed_us"].append(fixed)
            rounds["logged"].append(times["logged"][2])
            rounds["whole_per_key"].append(max(times["play"][0] - empty, 0) * 1000.0 / keys)
            plain, floor_key = times["plain"][2], times["floor"][2]
            rounds["plain_per_key"].append(plain)
            rounds["floor_per_key"].append(floor_key)
            rounds["floor_ratio"].append(plain / floor_key if floor_key > 0 else float("inf"))
            print("round: " + " ".join("%s %d us %d keys %.1f ns" % (kind, t[0], t[1], t[2])
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
    if typed["plain"] != typed["floor"] or len(typed["plain"]) < KEYS * MACROS:
        raise SystemExit("wine_typing: the plug-in and the floor typed different texts")
    if not stack_logged or not stack_plain:
        raise SystemExit("wine_typing: no stack figure in the host's report")

    for name, values in rounds.items():
        print(name + " " + " ".join("%.3f" % v for v in values))
    print("stack %d %d" % (max(int(stack_logged.group(1)), int(stack_plain.group(1))),
                           max(int(stack_logged.group(2)), int(stack_plain.group(2)))))
    print("macros %d %d %d %d" % (MACROS, LOGGED_MACROS, KEYS, REPEATS))


if __name__ == "__main__":
    main()
