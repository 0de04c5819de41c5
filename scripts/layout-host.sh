#!/bin/sh
# Lays out a runnable stand-in host with the plug-in:
#
#   scripts/layout-host.sh BUILD_DIR DEST_DIR
#
#   DEST_DIR/VOLMAR.exe, VOLMAR.dll          the host (from BUILD_DIR/volmar)
#   DEST_DIR/wtyczki/tastiromatika.dll       the plug-in
#   DEST_DIR/wtyczki/keys.h                  the host's key names
#   DEST_DIR/examples/*.txt, *.log           example macros; a log already
#                                            there is kept, never overwritten
set -eu
build=$(cd "$1" && pwd)
dest=$2
root=$(cd "$(dirname "$0")/.." && pwd)

for file in "$build/volmar/VOLMAR.exe" "$build/volmar/VOLMAR.dll" "$build/tastiromatika.dll"; do
  [ -f "$file" ] || { echo "layout-host: $file is missing; build the win32 preset first" >&2; exit 1; }
done
mkdir -p "$dest/wtyczki" "$dest/examples"
cp "$build/volmar/VOLMAR.exe" "$build/volmar/VOLMAR.dll" "$dest/"
cp "$build/tastiromatika.dll" "$root/host/app/wtyczki/keys.h" "$dest/wtyczki/"
cp "$root"/examples/*.txt "$dest/examples/"
for log in "$root"/examples/*.log; do
  [ -e "$dest/examples/$(basename "$log")" ] || cp "$log" "$dest/examples/"
done
