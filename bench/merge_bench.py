#!/usr/bin/env python3
"""The merge rows of `make bench`: tastiro-merge (native, optimised) on
tables as users have them, each run three times; the verdicts go by the
best run's CPU time (user + system: on these shared machines the wall-clock
time also counts the waits for a core, shown beside) and its peak resident
memory (the largest of the runs).

  - 100,000 rows of five columns (a cp1250 export), merged and checked;
  - 1,000,000 rows of five columns: memory that does not grow with the rows;
  - 100,000 rows with a value inside a bracketed word on every row (each
    row's word is checked);
  - one cell of 1 MB, the largest the tool takes: memory in proportion to
    the cell;
  - the dry run of 100,000 rows, one line a row;
  - --learn on a recording of 1 MB (the first row typed once, with a typo
    corrected by Backspace, among other customers typed by hand), and on
    256 KB of '{' (once quadratic);
  - --resume on the log of a run of the 100,000 rows cut in the last row
    (about 6 million log entries, 190 MB): CPU and peak memory, which does
    not grow with the log (it is read as a stream).

With a win32 build (tastiro-merge.exe and its wine-run.sh), the Windows
program merges the word table and dry-runs the 100,000 rows under Wine: the
rows say whether it finished, and the peak resident memory of the process
the runner became (the Windows program's, as Wine runs it).

  merge_bench.py <tastiro-merge> <keys.h> <work dir> [<win32 build dir>]
"""
import filecmp
import os
import shutil
import subprocess
import sys
import time

CPU_TARGET_MS = 1000
# --resume plays every row of the run through the player again (about 6
# million keys for the 100,000 rows): a run of hours read back in seconds.
RESUME_CPU_TARGET_MS = 30000
MEMORY_TARGET_MB = 150
CELL_MB = 1  # the largest cell the tool takes (tools/table: kMaxFieldBytes)
CELL_FACTOR = 16  # at most this many bytes of memory per byte of the cell
LEARN_MB = 1
LEARN_CPU_TARGET_MS = 1000
LEARN_BRACES_CPU_TARGET_MS = 500  # "well under a second"
LEARN_MEMORY_TARGET_MB = 64


def write_file(path, text_or_lines, encoding="utf-8", newline=None):
    """Writes a header line and lines made on the fly (or one text) to `path`."""
    with open(path, "w", encoding=encoding, newline=newline) as f:
        if isinstance(text_or_lines, str):
            f.write(text_or_lines)
        else:
            for line in text_or_lines:
                f.write(line)
    return path


def write_tables(work):
    """The tables and templates, written once."""
    def at(name):
        return os.path.join(work, name)

    def firms(count):
        yield "Nazwa;NIP;Miasto;Ulica;Kwota\r\n"
        for i in range(1, count + 1):
            yield f"Firma {i};{7250000000 + i};Łódź;ul. Źródlana {i % 200};{i * 3.17:.2f}\r\n"

    def quoted_firms(count):
        yield "Nazwa;NIP;Miasto;Ulica;Kwota\r\n"
        for i in range(1, count + 1):
            yield f'"Zakład ""Nr {i}""";{7250000000 + i};Łódź;ul. Źródlana {i % 200};{i * 3.17:.2f}\r\n'

    def keys(count):
        yield "Klawisz;Nazwa\r\n"
        for i in range(1, count + 1):
            yield f"{i % 9 + 1};Firma {i}\r\n"

    crlf = ""  # tables keep their own \r\n line ends
    return dict(
        five=write_file(at("merge-rows.csv"), quoted_firms(100_000), "cp1250", crlf),
        million=write_file(at("merge-million.csv"), firms(1_000_000), newline=crlf),
        tpl=write_file(at("merge-template.txt"),
                       "{{#}}. {{Nazwa}}[TAB]{{NIP}}[TAB]{{Miasto}}[TAB]{{Ulica}}[TAB]{{Kwota}} zł[ENTER]\n"),
        word=write_file(at("merge-word.csv"), keys(150_000), newline=crlf),
        word100k=write_file(at("merge-word-100k.csv"), keys(100_000), newline=crlf),
        word_tpl=write_file(at("merge-word.txt"), "[F{{Klawisz}}]{{Nazwa}}[ENTER]\n"),
        cell=write_file(at("merge-cell.csv"), "Opis\r\n" + "x" * (CELL_MB * 1024 * 1024) + "\r\n",
                        newline=crlf),
        cell_tpl=write_file(at("merge-cell.txt"), "{{Opis}}[ENTER]\n"),
    )


def write_recordings(work):
    """The --learn inputs: a table, a 1 MB recording and 256 KB of braces."""
    table = write_file(os.path.join(work, "learn.csv"),
                       "Nazwa;Miasto;Kwota;Nr;Uwagi\nNowak i Syn;Łódź;1 250,00;FV/2026/01;pilne\n"
                       "Kowal;Gdańsk;99,00;FV/2026/02;\n")
    other = "[F2]Kowalski Sp. z o.o.[TAB]Gdańsk[TAB]99,00[TAB]FV/2026/1{0}[TAB]zwykła[ENTER]\n"
    lines = []
    size = 0
    n = 0
    while size < LEARN_MB * 1024 * 1024:
        line = other.format(n % 1000)
        if n == 5000:
            line = ("[F2]Nowak i Syn[TAB]Łódx[BACKSPACE]ź[TAB]1 250,00[TAB]FV/2026/01[TAB]"
                    "pilne[ENTER]\n")
        lines.append(line)
        size += len(line.encode("utf-8"))
        n += 1
    recording = write_file(os.path.join(work, "learn-recording.txt"), "".join(lines))
    braces = write_file(os.path.join(work, "learn-braces.txt"), "{" * (256 * 1024))
    braces_table = write_file(os.path.join(work, "learn-braces.csv"), "Klamry\n{{{\n")
    return table, recording, braces, braces_table
def run_log(path, rows, cut_row):
    """The log the player writes for rows 1..cut_row of the bench's template
    over the five-column table (the row text as the merge types it, one
    entry a key, the stand-in host's stamp and CR LF), cut after the cut
    row's first five keys and stopped with Shift+F11."""
    stamp = "2026-12-07=10:11:12 "
    def keys(i):
        fields = [f'Zakład "Nr {i}"', str(7250000000 + i), "Łódź", f"ul. Źródlana {i % 200}",
                  f"{i * 3.17:.2f} zł"]
        for n, field in enumerate(fields):
            if n == 0:
                yield from f"{i}. "
            yield from field
            yield "[TAB]" if n < 4 else "[ENTER]"

    def lines():
        yield f"# tastiro-merge: wiersze 1-{rows}; szablon: merge-template.txt; dane: merge-rows.csv\r\n"
        for i in range(1, cut_row + 1):
            entries = list(keys(i))
            if i == cut_row:
                entries = entries[:5]
            yield "".join(stamp + (k if k.startswith("[") else "{CHAR: " + k + "}") + "\r\n"
                          for k in entries)
        yield stamp + "{KOMUNIKAT: Zakończono pracę makra z pliku}\r\n"
    return write_file(path, lines(), newline="")


def high_water_mb(pid):
    """The process's peak resident memory so far (VmHWM), 0 when gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def run_once(command):
    """CPU ms, wall ms, peak RSS in MB, the exit status.  The peak is read
    from /proc while the program runs (the rusage of a child also counts the
    launching Python's memory from before the exec)."""
    start = time.perf_counter()
    peak = 0.0
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null, stderr=null)
        while True:
            pid, raw, usage = os.wait4(child.pid, os.WNOHANG)
            if pid != 0:
                break
            peak = max(peak, high_water_mb(child.pid))
            time.sleep(0.002)
    child.returncode = os.waitstatus_to_exitcode(raw)
    wall = (time.perf_counter() - start) * 1000
    cpu = (usage.ru_utime + usage.ru_stime) * 1000
    return cpu, wall, peak, child.returncode


def measure(command, runs=3):
    """Best CPU ms, best wall ms, largest peak RSS in MB, the exit status."""
    best_cpu = best_wall = None
    peak = 0.0
    status = 0
    for _ in range(runs):
        cpu, wall, rss, status = run_once(command)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
        best_wall = wall if best_wall is None else min(best_wall, wall)
        peak = max(peak, rss)
    return best_cpu, best_wall, peak, status


def md5sum_ratio(command, files, runs=5):
    """A tool's CPU against md5sum reading the same files, measured in the
    same run, alternating: the median of the paired ratios, the tool's best
    CPU ms, md5sum's best CPU ms, the largest peak RSS in MB and the last
    exit status.  The rows of the tools that read a file through (the
    checker, --resume) are judged by it."""
    ratios, tool_cpu, md5_cpu = [], [], []
    peak, status = 0.0, 0
    for _ in range(runs):
        base, _, _, _ = run_once(["md5sum"] + files)
        cpu, _, rss, status = run_once(command)
        if status not in (0, 1):
            break
        peak = max(peak, rss)
        tool_cpu.append(cpu)
        md5_cpu.append(base)
        ratios.append(cpu / max(base, 1.0))  # CPU ms: at least 1 ms of md5sum
    ratios.sort()
    middle = ratios[len(ratios) // 2] if ratios else float("inf")
    return middle, min(tool_cpu or [0]), min(md5_cpu or [0]), peak, status


def row(what, figure, unit, target, ok, extra=""):
    verdict = "ok" if ok else "OVER"
    print(f"{what:<58} {figure:8.0f} {unit:<3}  target <= {target:<6} {verdict}  {extra}")


AWK_RATIO_TARGET = 1.0
# The same bytes as the merge of the bench's template (values outside
# bracketed words) over the million rows: one line of awk.
AWK_PROGRAM = ('NR>1{printf "%d. %s[TAB]%s[TAB]%s[TAB]%s[TAB]%s z\u0142[ENTER]\\n",'
               'NR-1,$1,$2,$3,$4,$5}')


def awk_row(base, p, work, runs=3):
    """tastiro-merge against awk (mawk where installed) on 1,000,000 rows x 5
    columns, run in turn, the best CPU of each: their ratio."""
    awk = shutil.which("mawk") or shutil.which("awk")
    if awk is None:
        print("tastiro-merge against awk: not done (no awk)")
        return
    out = os.path.join(work, "awk-out.txt")
    merge_cpu = awk_cpu = None
    for _ in range(runs):
        cpu, _, _, _ = run_once(base + [p["tpl"], p["million"]])
        merge_cpu = cpu if merge_cpu is None else min(merge_cpu, cpu)
        with open(out, "wb") as sink:
            start = os.times()
            subprocess.run([awk, "-F;", "-v", "RS=\r\n", AWK_PROGRAM, p["million"]], stdout=sink,
                           check=True)
            end = os.times()
        cpu = (end.children_user - start.children_user + end.children_system
               - start.children_system) * 1000
        awk_cpu = cpu if awk_cpu is None else min(awk_cpu, cpu)
    same = filecmp.cmp(out, base[base.index("-o") + 1], shallow=False)
    ratio = merge_cpu / awk_cpu if awk_cpu else float("inf")
    print(f"{'tastiro-merge / ' + os.path.basename(awk) + ', 1,000,000 rows x 5 columns (CPU)':<58} "
          f"{ratio:8.2f} x    target <= {AWK_RATIO_TARGET:<6} "
          f"{'ok' if ratio <= AWK_RATIO_TARGET and same else 'OVER'}  "
          f"(merge {merge_cpu:.0f} ms, awk {awk_cpu:.0f} ms{'' if same else ', OUTPUT DIFFERS'})")


def main():
    tool, keys, work = sys.argv[1:4]
    win32 = sys.argv[4] if len(sys.argv) > 4 else ""
    os.makedirs(work, exist_ok=True)
    p = write_tables(work)
    out = os.path.join(work, "merge-out.txt")
    base = [tool, "--keys", keys, "--force", "-o", out]
    failed = False

    def run(what, args, memory=True, cpu=True, memory_target=MEMORY_TARGET_MB, runs=3,
            cpu_target=CPU_TARGET_MS):
        nonlocal failed
        best_cpu, best_wall, peak, status = measure(base + args, runs)
        if status not in (0, 1):
            print(f"merge bench: {what}: tastiro-merge exited with {status}", file=sys.stderr)
            failed = True
            return
        if cpu:
            row(what + " (CPU)", best_cpu, "ms", f"{cpu_target} ms", best_cpu <= cpu_target,
                f"(wall {best_wall:.0f} ms)")
        if memory:
            row(what + " (peak RSS)", peak, "MB", f"{memory_target} MB", peak <= memory_target,
                f"(CPU {best_cpu:.0f} ms)" if not cpu else "")

    run("tastiro-merge, 100,000 rows x 5 columns, checked",
        ["--data-encoding", "cp1250", p["tpl"], p["five"]])
    run("tastiro-merge, 1,000,000 rows x 5 columns", [p["tpl"], p["million"]], cpu=False, runs=1)
    run("tastiro-merge, 100,000 rows, a value in a word each", [p["word_tpl"], p["word100k"]])
    run(f"tastiro-merge, one cell of {CELL_MB} MB", [p["cell_tpl"], p["cell"]], cpu=False,
        memory_target=CELL_MB * CELL_FACTOR)
    run("tastiro-merge --dry-run, 100,000 rows x 5 columns",
        ["--dry-run", "--data-encoding", "cp1250", p["tpl"], p["five"]], cpu=False)
    table, recording, braces, braces_table = write_recordings(work)
    run(f"tastiro-merge --learn, a recording of {LEARN_MB} MB", ["--learn", recording, table],
        cpu_target=LEARN_CPU_TARGET_MS, memory_target=LEARN_MEMORY_TARGET_MB)
    run("tastiro-merge --learn, 256 KB of '{', the value '{{{'", ["--learn", braces, braces_table],
        cpu_target=LEARN_BRACES_CPU_TARGET_MS, memory_target=LEARN_MEMORY_TARGET_MB)

    awk_row(base, p, work)
    # The --resume row.  Its figures are to become the ratio to md5sum of
    # the log and the table (md5sum_ratio) and the peak memory, as the
    # checker's rows give them.
    log = run_log(os.path.join(work, "merge-rows.log"), 100_000, 100_000)
    rest = os.path.join(work, "merge-rest.txt")
    best_cpu, best_wall, peak, status = measure(
        [tool, "--keys", keys, "--force", "--no-log", "--data-encoding", "cp1250", p["tpl"],
         p["five"], "--resume", log, "-o", rest], runs=1)
    if status != 0:
        print(f"merge bench: --resume: tastiro-merge exited with {status}", file=sys.stderr)
        failed = True
    else:
        what = "tastiro-merge --resume, the log of a 100,000-row run"
        row(what + " (CPU)", best_cpu, "ms", f"{RESUME_CPU_TARGET_MS} ms",
            best_cpu <= RESUME_CPU_TARGET_MS, f"(wall {best_wall:.0f} ms)")
        row(what + " (peak RSS)", peak, "MB", f"{MEMORY_TARGET_MB} MB", peak <= MEMORY_TARGET_MB)

    exe = os.path.join(win32, "tools", "merge", "tastiro-merge.exe") if win32 else ""
    runner = os.path.join(win32, "wine-run.sh") if win32 else ""
    if exe and os.path.exists(exe) and os.path.exists(runner):
        wine_keys = keys
        for what, args in (
                ("tastiro-merge.exe under Wine, 150,000 rows, a value in a word",
                 ["--keys", wine_keys, "--force", "-o", out, p["word_tpl"], p["word"]]),
                ("tastiro-merge.exe under Wine, --dry-run of 100,000 rows",
                 ["--keys", wine_keys, "--dry-run", "--data-encoding", "cp1250", p["tpl"],
                  p["five"]])):
            _, wall, peak, status = run_once([runner, exe] + args)
            verdict = "ok" if status in (0, 1) else "FAILED"
            print(f"{what:<58} exit {status}, {wall / 1000:.1f} s wall, peak RSS {peak:.0f} MB"
                  f"  {verdict}")
            failed = failed or status not in (0, 1)
    else:
        print("tastiro-merge.exe under Wine: not done (no win32 build given or found)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
