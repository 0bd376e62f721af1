# Helpers for the end-to-end scripts. Run inside scripts/wine-run.sh, which
# provides WINEPREFIX and DISPLAY. $1 of the script is the Windows build folder.
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
artifacts="$build/artifacts"
mkdir -p "$artifacts"
driver() { wine "$build/tests/e2e/psl_driver.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
program_pid() { pgrep -f 'PondixScreenLoader.exe' | head -n1; }
wait_until() {  # wait_until SECONDS COMMAND...
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}
finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
tip_count() { driver tips | grep -cxF "$1"; }
no_tip() { [ "$(tip_count "$1")" = 0 ]; }
