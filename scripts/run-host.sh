#!/bin/sh
# `make run`: the stand-in host VOLMAR with the plug-in, under Wine.
#
#   scripts/run-host.sh [BUILD_DIR [RUN_DIR]]   (defaults build/win32, BUILD_DIR/run)
#
# Lays the host out in RUN_DIR (scripts/layout-host.sh: programs anew, a
# user's macros, logs, keys.h and settings kept) and starts it in the
# examples folder, so that F3 in the start form lists the macros there.  In
# a terminal the host runs on the screen: Shift+F11 starts a macro, F10 ends
# the host.  Without a terminal (CI, a pipe) it plays the example
# powitanie.txt in the scripted mode and prints the settings it used, the
# text typed into the editor and the log lines this run added.
set -eu
start=$PWD
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
run="${2:-$build/run}"
wine="$build/wine-run.sh"

"$root/scripts/layout-host.sh" "$build" "$run"
run=$(cd "$run" && pwd)

# A path as the user can type it from where they started.
shown() {
  case "$1" in
    "$start"/*) echo "${1#"$start"/}" ;;
    *) echo "$1" ;;
  esac
}

# One value of the plug-in's settings section in VOLMAR.ini, or nothing.
setting() {
  [ -f "$run/VOLMAR.ini" ] || return 0
  tr -d '\r' <"$run/VOLMAR.ini" | awk -F= -v key="$1" '
    /^\[/ { inside = ($0 == "[MacroFormFile]") }
    inside && $1 == key { sub(/^[^=]*=/, ""); print; exit }'
}

where() {
  echo "Macros and their logs: $(shown "$run/examples") (F3 lists the *.txt there;"
  echo "  a macro logs only into a .log file of its name that already exists)"
  echo "Key names: $(shown "$run/wtyczki/keys.h")   Settings: $(shown "$run/VOLMAR.ini")"
  echo "Check macros: $(shown "$root/scripts/tastiro-check.sh") --host $(shown "$run") $(shown "$run/examples")/*.txt"
  echo "Your files there are kept from run to run; make run adds only what is missing."
}
where

# Polish letters and frames need a UTF-8 terminal encoding.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) LC_ALL=C.UTF-8; export LC_ALL ;;
esac

cd "$run/examples"
if [ -t 0 ] && [ -t 1 ]; then
  # The host takes the whole screen: say it again once it has ended.
  status=0
  "$wine" "$run/VOLMAR.exe" || status=$?
  echo
  where
  exit $status
fi

delay=$(setting Delay)
echo "No terminal: playing examples/powitanie.txt in the scripted mode."
echo "Settings used: key delay ${delay:-100} ms$([ -n "$delay" ] || echo ' (the default: VOLMAR.ini names no Delay)')"
log="$run/examples/powitanie.log"
before=0
[ ! -f "$log" ] || before=$(wc -c <"$log")
status=0
"$wine" "$run/VOLMAR.exe" --keys "<Shift+F11>powitanie.txt<F12>" >"$run/typed.txt" || status=$?
echo "== Text typed into the editor =="
cat "$run/typed.txt"
if [ -f "$log" ]; then
  echo "== Lines this run added to examples/powitanie.log =="
  tail -c "+$((before + 1))" "$log"
else
  echo "== No examples/powitanie.log: nothing was logged =="
fi
exit $status
