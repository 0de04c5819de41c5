#!/bin/sh
# make fuzz: builds the fuzz targets with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer (build/fuzz), and runs each one after the
# other for FUZZ_SECONDS (default 60), starting from its committed seeds in
# fuzz/corpus/<target>/.  New inputs are kept in build/fuzz/corpus/<target>/,
# never in the committed corpus.  A failure leaves its input in
# build/fuzz/artifacts/ and the script exits 1.
#
#   scripts/fuzz.sh [target...]        (default: key_names playback log_line merge)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}
targets=${*:-key_names playback log_line merge}

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

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTASTIRO_FUZZ=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
programs=""
for target in $targets; do programs="$programs fuzz_$target"; done
# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $programs

mkdir -p "$build/artifacts"
summary=""
status=0
for target in $targets; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  log=$build/fuzz_$target.log
  echo "fuzz: $target for $seconds s ..."
  # -rss_limit_mb: inputs of a few MB at most; -timeout: one input, one second.
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    result=clean
  else
    result="FAILED (see $log and $build/artifacts/)"
    status=1
    grep -E "broken:|ERROR:|runtime error:|SUMMARY:" "$log" | head -n 5 >&2 || true
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  summary="$summary$(printf '%-10s %12s inputs run  %s' "$target" "${runs:-?}" "$result")
"
done

echo
printf '%s' "$summary"
exit $status
