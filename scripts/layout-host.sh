#!/bin/sh
# Lays out a runnable stand-in host with the plug-in:
#
#   scripts/layout-host.sh BUILD_DIR DEST_DIR
#
#   DEST_DIR/VOLMAR.exe, VOLMAR.dll          the host (from BUILD_DIR/volmar)
#   DEST_DIR/wtyczki/tastiromatika.dll       the player plug-in
#   DEST_DIR/wtyczki/zapis-klawiszy.dll      the recorder plug-in
#   DEST_DIR/tastiro-check.exe               the macro checker
#   DEST_DIR/wtyczki/keys.h                  the host's key names
#   DEST_DIR/examples/*.txt, *.log           example macros and a log
#
# The programs are always the ones just built.  Everything a user may have
# edited there (keys.h, the macros, their logs, VOLMAR.ini) is copied only
# when it is missing: a file already in DEST_DIR is never replaced.  When a
# kept file differs from the tree's copy, one line says so.
set -eu
build=$(cd "$1" && pwd)
dest=$2
root=$(cd "$(dirname "$0")/.." && pwd)
checker="$build/tools/check/tastiro-check.exe"

for file in "$build/volmar/VOLMAR.exe" "$build/volmar/VOLMAR.dll" "$build/tastiromatika.dll" \
            "$build/zapis-klawiszy.dll"; do
  [ -f "$file" ] || { echo "layout-host: $file is missing; build the win32 preset first" >&2; exit 1; }
done
mkdir -p "$dest/wtyczki" "$dest/examples"
cp "$build/volmar/VOLMAR.exe" "$build/volmar/VOLMAR.dll" "$dest/"
cp "$build/tastiromatika.dll" "$build/zapis-klawiszy.dll" "$dest/wtyczki/"
[ ! -f "$checker" ] || cp "$checker" "$dest/"

# Copies SOURCE to TARGET only when TARGET is not there yet.
keep_or_copy() {
  if [ ! -e "$2" ]; then
    cp "$1" "$2"
  elif ! cmp -s "$1" "$2"; then
    echo "kept your $2 (it differs from $1; delete it to get that one)"
  fi
}

keep_or_copy "$root/host/app/wtyczki/keys.h" "$dest/wtyczki/keys.h"
for file in "$root"/examples/*.txt "$root"/examples/*.log; do
  [ -e "$file" ] || continue
  case "$file" in
    # A log grows with every run: that it differs from the tree's says nothing.
    *.log) [ -e "$dest/examples/$(basename "$file")" ] || cp "$file" "$dest/examples/" ;;
    *) keep_or_copy "$file" "$dest/examples/$(basename "$file")" ;;
  esac
done
