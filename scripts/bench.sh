#!/bin/sh
# make bench: timings (Google Benchmark), instruction counts (callgrind),
# heap allocations and stack use of the plug-in's hot paths, and the stand-in
# host's own key-loop times under Wine, printed as one table with the
# targets beside the figures and a pass or miss computed from them.
#
#   scripts/bench.sh [native build dir]     (default build/native)
#
# The figures under Wine need Wine and the win32 build (built here in
# BENCH_WIN32, default build/win32); without them the table says so.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/native}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=${JOBS:-2}

bench=$build/bench
work=$build/bench/results
rm -rf "$work"
mkdir -p "$work"
cmake --build "$build" -j "$jobs" --target plugin_bench plugin_callgrind_driver plugin_stack_paint \
  recorder_callgrind_driver \
  >"$work/build.log" 2>&1 || {
  tail -n 30 "$work/build.log" >&2
  echo "bench: the benchmarks did not build in $build (is Google Benchmark installed? make deps)" >&2
  exit 1
}

# 1. Wall-clock timings with the allocation counts.
echo "bench: Google Benchmark ..." >&2
"$bench/plugin_bench" --benchmark_format=json --benchmark_min_time=0.2 >"$work/gbench.json"

# 2. Instruction counts.  Collection is on only inside the measured plug-in
#    function and off inside the fake host's functions; two runs of
#    different lengths, so that one-time costs drop out of the difference.
count() { # op function runs -> instructions collected
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.$1.$3" \
    --collect-atstart=no --toggle-collect="$2" --toggle-collect='BenchHost*' \
    "$bench/${driver:-plugin_callgrind_driver}" "$1" "$3" >/dev/null 2>"$work/callgrind.$1.$3.log" || {
    echo "bench: callgrind run of $1 failed:" >&2
    cat "$work/callgrind.$1.$3.log" >&2
    exit 1
  }
  sed -n 's/^summary: *//p;s/^totals: *//p' "$work/callgrind.$1.$3" | head -n 1
}
per_op() { # op function short long
  short=$(count "$1" "$2" "$3")
  long=$(count "$1" "$2" "$4")
  echo "$1 $(( (long - short) / ($4 - $3) ))" >>"$work/counts.txt"
}
if command -v valgrind >/dev/null 2>&1; then
  echo "bench: callgrind ..." >&2
  per_op passthrough 'PluginKeyFilter' 100 1100
  per_op played 'PluginKeyFilter' 100 1100
  per_op playedlogged 'PluginKeyFilter' 100 1100
  per_op step 'PluginKeyFilter' 100 1100
  per_op steplogged 'PluginKeyFilter' 100 1100
  per_op findname 'FindKeyName*' 100 1100
  per_op findcode 'FindKeyCode*' 100 1100
  per_op load 'LoadKeyNameTable*' 2 12
  per_op logline 'WriteLogLine*' 100 1100
  # The recorder: its filter for one recorded key, written and flushed.
  driver=recorder_callgrind_driver
  per_op recorded 'RecorderKeyFilter' 100 1100
  per_op recordedpolish 'RecorderKeyFilter' 100 1100
  per_op recordednamed 'RecorderKeyFilter' 100 1100
  driver=
else
  echo "bench: valgrind is missing (make deps): no instruction counts" >&2
fi

# 3. Stack use: painted on the running program (C library included), and
#    from the call graph of the benchmarks' copy of the plug-in.
"$bench/plugin_stack_paint" >"$work/stack_painted.txt"
python3 "$root/bench/stack_usage.py" "$bench/CMakeFiles/bench_plugin.dir" >"$work/stack.txt"

# 4. End to end under Wine, timed inside the stand-in host's key loop: the
#    plug-in playing macros (plain, empty, logged) against the host typing
#    the same keys with the pass-through plug-in installed, and the plug-in
#    playing plain characters against the floor plug-in making the same
#    host calls for the same characters.  Uses the win32
#    build (BENCH_WIN32, default build/win32; configured and built here when
#    needed) and a Wine prefix of the bench's own.
win32=${BENCH_WIN32:-$root/build/win32}
case $win32 in /*) ;; *) win32=$root/$win32 ;; esac
e2e_not_done() {
  echo "not done: $1" >"$work/e2e.txt"
}
if ! command -v wine >/dev/null 2>&1 || ! command -v i686-w64-mingw32-g++ >/dev/null 2>&1; then
  e2e_not_done "Wine or the MinGW-w64 compiler is missing (make deps)"
else
  echo "bench: end to end under Wine ..." >&2
  if [ ! -f "$win32/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset win32 -B "$win32" >"$work/e2e-build.log" 2>&1) || true
  fi
  # The host's folder is laid out with both plug-ins (scripts/layout-host.sh).
  if ! cmake --build "$win32" -j "$jobs" --target tastiromatika zapis_klawiszy volmar_host \
      bench_passthrough bench_floor \
      >>"$work/e2e-build.log" 2>&1; then
    e2e_not_done "the win32 build failed (see $work/e2e-build.log)"
  elif ! WINEPREFIX=$bench/wineprefix timeout 1800 python3 "$root/bench/wine_typing.py" \
      "$win32" "$root" "$work/e2e" >"$work/e2e.txt" 2>"$work/e2e.log"; then
    e2e_not_done "the Wine runs failed (see $work/e2e.log)"
  fi
fi

echo >&2
bench_failed=0
python3 "$root/bench/report.py" "$work" || bench_failed=1
# A row that could not run fails the bench (its reason is in the table).
case $(cat "$work/e2e.txt" 2>/dev/null || echo "not done") in
  "not done"*) echo "bench: the end-to-end rows under Wine did not run" >&2; bench_failed=1 ;;
esac

# A tool built natively (and, with the win32 build and Wine, as .exe) and
# measured by its bench script: tool_bench TOOL FOLDER SCRIPT NAME.
tool_bench() {
  local tool=$1 folder=$2 script=$3 name=$4 tool_win32=
  cmake --build "$build" -j "$jobs" --target "$tool" >"$work/$name-build.log" 2>&1 || {
    tail -n 30 "$work/$name-build.log" >&2
    exit 1
  }
  if [ -f "$win32/CMakeCache.txt" ] && command -v wine >/dev/null 2>&1 &&
      cmake --build "$win32" -j "$jobs" --target "$tool" >>"$work/$name-build.log" 2>&1; then
    tool_win32=$win32
  fi
  WINEPREFIX=$bench/wineprefix python3 "$root/bench/$script" \
    "$build/tools/$folder/$tool" "$root/host/app/wtyczki/keys.h" "$work/$name" $tool_win32 ||
    bench_failed=1
}

# 5. tastiro-merge: tables as users have them, merged natively (time and
#    memory) and, with the win32 build, under Wine.
tool_bench tastiro-merge merge merge_bench.py merge

# 6. tastiro-check: a long macro checked natively (CPU per MB, peak memory
#    at two sizes) and, with the win32 build, under Wine.
tool_bench tastiro-check check check_bench.py check
exit $bench_failed
