#!/usr/bin/env bash
# The main job on a machine without a display, inside scripts/wine-run.sh:
# starts the program in the virtual desktop, shows that it sits in the tray,
# and saves a screenshot of the desktop.
set -uo pipefail
build=$(cd "$1" && pwd)
storage=$2
shots="$build/artifacts"
mkdir -p "$shots" "$build/../run"
driver() { wine "$build/tests/e2e/psl_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

cd "$build/../run"
wine "$build/PondixScreenLoader.exe" &
program=$!
if driver wait-tip "Pondix Screenshot Loader" 30; then
  echo "program: running in the tray (icon \"Pondix Screenshot Loader\")"
else
  echo "program: the tray icon did not appear" >&2
  exit 1
fi
import -window root "$shots/run-desktop.png"
echo "screenshot: $shots/run-desktop.png"
echo "pictures: $storage"
echo "program: left in the tray until it ends (or the time limit PSL_RUN_SECONDS)"
wait "$program"
