#!/bin/sh
# make fuzz: runs the fuzz targets, built with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in the sanitizer build
# (build/asan, the preset asan, which also holds every unit test), each one
# after the other (never two at once, so that the figures are each target's
# own; the smoke run of `make test` sets FUZZ_PARALLEL=2 and runs two at a
# time) for FUZZ_SECONDS seconds (default 60; `make fuzz SECONDS=600` sets
# it), or until FUZZ_RUNS inputs have run when that is set
# (FUZZ_RUNS=10000000 for a recorded campaign; FUZZ_SECONDS then caps each
# target's time, default one hour), starting from its committed seeds in
# fuzz/corpus/<target>/.  New inputs are kept in build/fuzz/corpus/<target>/,
# never in the committed corpus.  A failure leaves its input in
# build/fuzz/artifacts/ and the script exits 1.
#
# The summary gives each target's runs, its time and its coverage as
# libFuzzer counts it (cov: edges reached, ft: features).
#
# The targets are the folder's: fuzz/<target>_fuzz.cpp (fuzz/CMakeLists.txt
# builds every one of them), all of them unless some are named.
#
#   scripts/fuzz.sh [target...]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
# The programs come from the sanitizer build; what a run makes (corpora,
# artifacts, logs, the summary) goes to build/fuzz.
programs_build=$root/build/asan
build=$root/build/fuzz
runs=${FUZZ_RUNS:-}
if [ -n "$runs" ]; then seconds=${FUZZ_SECONDS:-3600}; else seconds=${FUZZ_SECONDS:-60}; fi
case $seconds$runs in *[!0-9]*|'') echo "fuzz: FUZZ_SECONDS and FUZZ_RUNS take whole numbers" >&2; exit 2 ;; esac
limit=""
[ -n "$runs" ] && limit="-runs=$runs"
jobs=${JOBS:-2}
all=""
for source in "$root"/fuzz/*_fuzz.cpp; do
  name=${source##*/}
  all="$all ${name%_fuzz.cpp}"
done
targets=${*:-$all}
for target in $targets; do
  case " $all " in *" $target "*) ;; *) echo "fuzz: no target $target (there are:$all)" >&2; exit 2 ;; esac
done

for tool in clang clang++ cmake ninja; do
  command -v $tool >/dev/null 2>&1 || { echo "fuzz: $tool is missing (make deps)" >&2; exit 1; }
done
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }\n' \
  >"$probe/probe.cpp"
clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>"$probe/log" || {
  echo "fuzz: clang cannot link libFuzzer (Debian: libclang-rt-dev; make deps)" >&2
  cat "$probe/log" >&2
  exit 1
}

[ -f "$programs_build/build.ninja" ] || (cd "$root" && cmake --preset asan >/dev/null)
programs=""
for target in $targets; do programs="$programs fuzz_$target"; done
# shellcheck disable=SC2086
cmake --build "$programs_build" -j "$jobs" --target $programs

mkdir -p "$build/artifacts"
parallel=${FUZZ_PARALLEL:-1}
case $parallel in *[!0-9]*|''|0) echo "fuzz: FUZZ_PARALLEL takes a whole number above 0" >&2; exit 2 ;; esac

# One target's run; its summary line goes to $build/summary_<target>, and
# $build/failed_<target> marks a failure.
run_target() {
  target=$1
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  log=$build/fuzz_$target.log
  rm -f "$build/failed_$target"
  echo "fuzz: $target for $seconds s${runs:+ or $runs runs} ..."
  started=$(date +%s)
  # -rss_limit_mb: inputs of a few MB at most; -timeout: one input, ten seconds.
  # shellcheck disable=SC2086
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$programs_build/fuzz/fuzz_$target" -max_total_time="$seconds" $limit -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    result=clean
  else
    result="FAILED (see $log and $build/artifacts/)"
    : >"$build/failed_$target"
    grep -E "broken:|ERROR:|runtime error:|SUMMARY:" "$log" | head -n 5 >&2 || true
  fi
  took=$(( $(date +%s) - started ))
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  # The last status line: "#<runs> <kind> cov: <edges> ft: <features> corp: ..."
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
  printf '%-10s %12s inputs run in %5d s  %-22s %s\n' "$target" "${done_runs:-?}" \
    "$took" "${cov:-cov: ?}" "$result" >"$build/summary_$target"
}

running=0
for target in $targets; do
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait
    running=0
  fi
done
wait

echo
status=0
for target in $targets; do
  cat "$build/summary_$target"
  [ ! -e "$build/failed_$target" ] || status=1
done
exit $status
