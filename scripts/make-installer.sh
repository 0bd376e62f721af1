#!/usr/bin/env bash
# Builds the per-user installer of one Windows build of the program.
#   make-installer.sh win64|win32 PROGRAM.exe OUT-setup.exe
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# = 3 ] || { echo "usage: make-installer.sh win64|win32 PROGRAM.exe OUT.exe" >&2; exit 2; }
case "$1" in
  win64) target=amd64 ;;
  win32) target=x86 ;;
  *) echo "make-installer.sh: unknown architecture '$1'" >&2; exit 2 ;;
esac
version=$(sed -n 's/^project(PondixScreenLoader VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
mkdir -p "$(dirname "$3")"
out=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
log=$(mktemp)
if ! makensis -V2 -INPUTCHARSET UTF8 -DARCH="$target" -DEXE="$exe" -DICON="$top/res/app.ico" -DVERSION="$version" \
  -DOUTFILE="$out" "$top/installer/pondix.nsi" >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"
