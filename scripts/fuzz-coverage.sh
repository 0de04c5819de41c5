#!/bin/sh
# Line coverage of the plug-in's sources from the fuzz corpora: builds the
# replay programs with gcc's --coverage (build/coverage), replays the
# committed corpora and, when a campaign has grown them, build/fuzz/corpus,
# and prints the lines reached per source file and per layer.
#
#   scripts/fuzz-coverage.sh [target...]  (default: key_names playback log_line start_up)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/coverage
jobs=${JOBS:-2}
targets=${*:-key_names playback log_line start_up}

CC=gcc CXX=g++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="--coverage -O0" -DCMAKE_CXX_FLAGS="--coverage -O0" >/dev/null
programs=""
for target in $targets; do programs="$programs fuzz_replay_$target"; done
# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $programs >/dev/null
find "$build" -name '*.gcda' -delete
for target in $targets; do
  set -- "$root/fuzz/corpus/$target"
  [ -d "$root/build/fuzz/corpus/$target" ] && set -- "$@" "$root/build/fuzz/corpus/$target"
  "$build/fuzz/fuzz_replay_$target" "$@" 2>/dev/null | tail -n 1
done
python3 - "$build" "$root" <<'PY'
import glob, json, os, subprocess, sys
build, root = sys.argv[1], sys.argv[2]
lines = {}  # source -> {line: hit}
for gcda in glob.glob(os.path.join(build, "plugin", "**", "*.gcda"), recursive=True):
    out = subprocess.run(["gcov", "--json-format", "--stdout", gcda], capture_output=True,
                         text=True, cwd=os.path.dirname(gcda)).stdout
    for chunk in out.splitlines():
        if not chunk.strip():
            continue
        for f in json.loads(chunk)["files"]:
            path = os.path.relpath(os.path.realpath(f["file"]), root)
            if not path.startswith("plugin/"):
                continue
            seen = lines.setdefault(path, {})
            for line in f["lines"]:
                seen[line["line_number"]] = seen.get(line["line_number"], 0) or line["count"] > 0
layers = {}
for path in sorted(lines):
    hit, total = sum(1 for v in lines[path].values() if v), len(lines[path])
    print("%5.1f %%  %4d/%-4d  %s" % (100.0 * hit / total if total else 0, hit, total, path))
    layer = layers.setdefault(path.split("/")[1], [0, 0])
    layer[0] += hit
    layer[1] += total
print()
for layer, (hit, total) in sorted(layers.items()):
    print("%5.1f %%  %4d/%-4d  plugin/%s/" % (100.0 * hit / total if total else 0, hit, total, layer))
PY
