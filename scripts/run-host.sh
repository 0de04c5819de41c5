#!/bin/sh
# `make run`: the stand-in host VOLMAR with the plug-in, under Wine.
#
#   scripts/run-host.sh [BUILD_DIR]        (default build/win32)
#
# Lays the host out in BUILD_DIR/run (scripts/layout-host.sh) and starts it
# in the examples folder, so that F3 in the start form lists the example
# macros.  In a terminal the host runs on the screen: Shift+F11 starts a
# macro, F10 ends the host.  Without a terminal (CI, a pipe) it plays the
# example powitanie.txt in the scripted mode and prints the text typed into
# the editor and the macro's log.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
run="$build/run"
wine="$build/wine-run.sh"

"$root/scripts/layout-host.sh" "$build" "$run"

# Polish letters and frames need a UTF-8 terminal encoding.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) LC_ALL=C.UTF-8; export LC_ALL ;;
esac

cd "$run/examples"
if [ -t 0 ] && [ -t 1 ]; then
  exec "$wine" "$run/VOLMAR.exe"
fi

echo "No terminal: playing examples/powitanie.txt in the scripted mode."
status=0
"$wine" "$run/VOLMAR.exe" --keys "<Shift+F11>powitanie.txt<F12>" >"$run/typed.txt" || status=$?
echo "== Text typed into the editor =="
cat "$run/typed.txt"
echo "== examples/powitanie.log =="
cat "$run/examples/powitanie.log"
exit $status
