#!/usr/bin/env bash
# Builds the per-user installer of one Windows build of the program.
#   make-installer.sh win64|win32 PROGRAM.exe THIRD-PARTY-NOTICES.txt OUT-setup.exe
# It installs the program with LICENSE.txt and the notices (scripts/notices.sh),
# and shows both on its licence page. With PSL_SIGN_PKCS12 set, the uninstaller
# inside it and the installer are signed (scripts/sign.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# = 4 ] || { echo "usage: make-installer.sh win64|win32 PROGRAM.exe NOTICES.txt OUT.exe" >&2; exit 2; }
case "$1" in
  win64) target=amd64 ;;
  win32) target=x86 ;;
  *) echo "make-installer.sh: unknown architecture '$1'" >&2; exit 2 ;;
esac
version=$(sed -n 's/^project(PondixScreenLoader VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
exe=$(absolute "$2")
notices=$(absolute "$3")
mkdir -p "$(dirname "$4")"
out=$(absolute "$4")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Windows text files; the page shows the licence, then the notices, as one
# UTF-8 text with its byte order mark in front.
sed 's/\r*$/\r/' "$top/LICENSE" >"$work/LICENSE.txt"
{ printf '\xef\xbb\xbf'; cat "$work/LICENSE.txt"; printf '\r\n\r\n'; sed '1s/^\xef\xbb\xbf//' "$notices"; } >"$work/license-page.txt"
sign=()
[ -z "${PSL_SIGN_PKCS12:-}" ] || sign=(-DSIGN="$top/scripts/sign.sh")
if ! makensis -V2 -INPUTCHARSET UTF8 -DARCH="$target" -DEXE="$exe" -DICON="$top/res/app.ico" -DVERSION="$version" \
  -DLICENSE="$work/LICENSE.txt" -DNOTICES="$notices" -DLICENSE_PAGE="$work/license-page.txt" "${sign[@]}" \
  -DOUTFILE="$out" "$top/installer/pondix.nsi" >"$work/log" 2>&1; then
  cat "$work/log" >&2
  exit 1
fi
