#!/bin/sh
# The macro checker from a fresh clone, in one command:
#
#   scripts/tastiro-check.sh [tastiro-check options] MACRO...
#
# Builds the native checker (build/native/tools/check/tastiro-check) when it
# is missing or older than its sources, then runs it with the arguments
# given.  Its output and exit status are the checker's own.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
checker="$build/tools/check/tastiro-check"

command -v cmake >/dev/null 2>&1 || { echo "tastiro-check.sh: cmake is missing; run make deps" >&2; exit 2; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(
  cd "$root"
  [ -f "$build/build.ninja" ] || cmake --preset native
  cmake --build --preset native --target tastiro-check -j "${JOBS:-2}"
) >"$log" 2>&1 || { cat "$log" >&2; echo "tastiro-check.sh: building the checker failed" >&2; exit 2; }
"$checker" "$@"
