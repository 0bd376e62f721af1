#!/usr/bin/env bash
# The main job on a machine without a display, inside scripts/wine-run.sh: the
# program on a composited display, one capture driven as a user would make it,
# the link from the clipboard, the picture checked at the service, and a
# screenshot of the desktop with the balloon.
#   run-headless.sh BUILD STORAGE PROGRAM   (the service for STORAGE already running)
set -uo pipefail
build=$(cd "$1" && pwd)
storage=$2
exe=$3
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/harness.sh"
shots="$build/artifacts"
work="$top/build/run"
mkdir -p "$shots" "$work"
driver() { psl_driver "$build" "$@"; }
fail() {
  echo "run: $*" >&2
  exit 1
}

cd "$work"
# Something to photograph, shown first: with no window manager, the windows
# mapped later (the tray, the overlay) stay above it.
wine notepad.exe >/dev/null 2>&1 &
sleep 2
wine "$exe" &
program=$!
driver wait-tip "Pondix Screenshot Loader" 30 || fail "the tray icon did not appear"
echo "program: running in the tray"
before=$(find "$storage" -maxdepth 1 -name '*.jpg' | wc -l)
driver alt-s
driver wait-shown TForm3 10 || fail "Alt+S did not show the overlay"
driver drag 160 100 900 560
for _ in $(seq 50); do
  link=$(driver clipboard)
  [[ $link == http://* || $link == https://* ]] && break
  sleep 0.2
done
[[ ${link:-} == http://* || ${link:-} == https://* ]] || fail "no link reached the clipboard"
echo "link on the clipboard: $link"
after=$(find "$storage" -maxdepth 1 -name '*.jpg' | wc -l)
[ "$after" -gt "$before" ] || fail "the service stored no picture"
stored="$storage/${link##*/}"
[ -f "$stored" ] || fail "the service has no $stored"
echo "stored by the service: $stored ($(identify -format '%wx%h %m' "$stored"))"
sleep 2
import -window root "$shots/run-desktop.png"
echo "screenshot of the desktop with the balloon: $shots/run-desktop.png"
driver close TForm1
wait "$program"
echo "program: ended"
