"""The checker rows of `make bench`: tastiro-check (native, optimised) on a
macro as the merge writes it (a line a row: text, key names), at two sizes,
and on runs of '[' closed far behind: its CPU as the median of paired
ratios to md5sum reading the same file in the same run, and its peak
resident memory, which must not grow with the macro.  With the win32 build
and Wine, tastiro-check.exe checks a 20 MB macro: the row says whether it
finished.

  check_bench.py <tastiro-check> <keys.h> <work dir> [<win32 build dir>]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from merge_bench import md5sum_ratio, measure, row, run_once  # noqa: E402

MD5SUM_RATIO_TARGET = 20  # CPU, against md5sum of the same macro
MEMORY_TARGET_MB = 24     # for a macro of any size
SIZES_MB = (10, 40)
# Runs of '[' and one ']' behind them: ten times the run, at most
# LINEAR_SLACK times ten times the CPU (once quadratic: 1 MB took 2 GB).
BRACKET_RUNS = (100_000, 1_000_000)
LINEAR_SLACK = 2.0
WINE_MB = 20

LINE = "Firma Zażółć Sp. z o.o.[TAB]ul. Długa 12[TAB]00-950 Warszawa[ENTER]\r\n"


def write_bytes(path, chunk, count, tail=b""):
    if not os.path.exists(path) or os.path.getsize(path) != count * len(chunk) + len(tail):
        with open(path, "wb") as out:
            for _ in range(count // 1000):
                out.write(chunk * 1000)
            out.write(chunk * (count % 1000))
            out.write(tail)
    return path


def write_macro(work, megabytes):
    line = LINE.encode("utf-8")
    return write_bytes(os.path.join(work, f"check-{megabytes}mb.txt"), line,
                       megabytes * 1024 * 1024 // len(line))


def main():
    tool, keys, work = sys.argv[1:4]
    win32 = sys.argv[4] if len(sys.argv) > 4 else ""
    os.makedirs(work, exist_ok=True)
    failed = False

    def ratio_rows(what, macro, runs):
        nonlocal failed
        ratio, cpu, md5, peak, status = md5sum_ratio([tool, "--keys", keys, macro], [macro], runs)
        if status not in (0, 1):
            print(f"check bench: tastiro-check exited with {status} on {macro}", file=sys.stderr)
            failed = True
            return None
        row(what + " (CPU / md5sum)", ratio, "x", f"{MD5SUM_RATIO_TARGET}",
            ratio <= MD5SUM_RATIO_TARGET, f"(CPU {cpu:.0f} ms, md5sum {md5:.0f} ms)")
        row(what + " (peak RSS)", peak, "MB", f"{MEMORY_TARGET_MB} MB", peak <= MEMORY_TARGET_MB)
        failed = failed or ratio > MD5SUM_RATIO_TARGET or peak > MEMORY_TARGET_MB
        return cpu

    for megabytes in SIZES_MB:
        ratio_rows(f"tastiro-check, a macro of {megabytes} MB", write_macro(work, megabytes),
                   runs=3 if megabytes < 40 else 1)

    # Runs of '[': linear in time, bounded in memory.
    cpus = []
    for count in BRACKET_RUNS:
        macro = write_bytes(os.path.join(work, f"check-brackets-{count}.txt"), b"[", count, b"]")
        cpu, _, peak, status = measure([tool, "--keys", keys, macro], runs=3)
        if status not in (0, 1):
            print(f"check bench: tastiro-check exited with {status} on {macro}", file=sys.stderr)
            failed = True
            continue
        cpus.append(cpu)
        what = f"tastiro-check, {count:,} '[' and a ']'"
        row(what + " (peak RSS)", peak, "MB", f"{MEMORY_TARGET_MB} MB", peak <= MEMORY_TARGET_MB,
            f"(CPU {cpu:.0f} ms)")
        failed = failed or peak > MEMORY_TARGET_MB
    if len(cpus) == 2:
        growth = cpus[1] / max(cpus[0], 1.0)
        factor = BRACKET_RUNS[1] / BRACKET_RUNS[0]
        ok = growth <= factor * LINEAR_SLACK
        row("tastiro-check, runs of '[': CPU growth for 10 x the run", growth, "x",
            f"{factor * LINEAR_SLACK:.0f}", ok, "(linear: about 10)")
        failed = failed or not ok

    exe = os.path.join(win32, "tools", "check", "tastiro-check.exe") if win32 else ""
    runner = os.path.join(win32, "wine-run.sh") if win32 else ""
    if exe and os.path.exists(exe) and os.path.exists(runner):
        macro = write_macro(work, WINE_MB)
        _, wall, peak, status = run_once([runner, exe, "--keys", keys, macro])
        verdict = "ok" if status in (0, 1) else "FAILED"
        print(f"{'tastiro-check.exe under Wine, a macro of %d MB' % WINE_MB:<58} exit {status}, "
              f"{wall / 1000:.1f} s wall, peak RSS {peak:.0f} MB  {verdict}")
        failed = failed or status not in (0, 1)
    else:
        print("tastiro-check.exe under Wine: not done (no win32 build given or found)")
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
