"""The checker rows of `make bench`: tastiro-check (native, optimised) on a
macro as the merge writes it (a line a row: text, key names), at two sizes:
its CPU per MB and its peak resident memory, which must not grow with the
macro.  With the win32 build and Wine, tastiro-check.exe checks a 20 MB
macro: the row says whether it finished.

  check_bench.py <tastiro-check> <keys.h> <work dir> [<win32 build dir>]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from merge_bench import measure, row, run_once  # noqa: E402

CPU_PER_MB_TARGET_MS = 200  # 8 s for 40 MB
MEMORY_TARGET_MB = 64       # at 40 MB
SIZES_MB = (10, 40)
WINE_MB = 20

LINE = "Firma Zażółć Sp. z o.o.[TAB]ul. Długa 12[TAB]00-950 Warszawa[ENTER]\r\n"


def write_macro(work, megabytes):
    path = os.path.join(work, f"check-{megabytes}mb.txt")
    line = LINE.encode("utf-8")
    count = megabytes * 1024 * 1024 // len(line)
    if not os.path.exists(path) or os.path.getsize(path) != count * len(line):
        with open(path, "wb") as out:
            for _ in range(count // 1000):
                out.write(line * 1000)
            out.write(line * (count % 1000))
    return path


def main():
    tool, keys, work = sys.argv[1:4]
    win32 = sys.argv[4] if len(sys.argv) > 4 else ""
    os.makedirs(work, exist_ok=True)
    failed = False
    for megabytes in SIZES_MB:
        macro = write_macro(work, megabytes)
        cpu, wall, peak, status = measure([tool, "--keys", keys, macro], runs=1)
        if status not in (0, 1):
            print(f"check bench: tastiro-check exited with {status} on {megabytes} MB",
                  file=sys.stderr)
            failed = True
            continue
        what = f"tastiro-check, a macro of {megabytes} MB"
        row(what + " (CPU per MB)", cpu / megabytes, "ms", f"{CPU_PER_MB_TARGET_MS} ms",
            cpu / megabytes <= CPU_PER_MB_TARGET_MS, f"(CPU {cpu:.0f} ms, wall {wall:.0f} ms)")
        row(what + " (peak RSS)", peak, "MB", f"{MEMORY_TARGET_MB} MB", peak <= MEMORY_TARGET_MB)

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
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
