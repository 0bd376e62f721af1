# The program, its reference service and the driver that acts as a user, as
# the end-to-end tests, the run command and the benchmarks all use them.
# Sourced; the Windows commands need the environment of scripts/wine-run.sh.
psl_harness_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$psl_harness_top/scripts/config.sh"
source "$psl_harness_top/scripts/processes.sh"

# psl_driver BUILD ARGS...: the driver of that Windows build; its output
# without CRs, its exit code.
psl_driver() {
  local build=$1
  shift
  wine "$build/tests/e2e/psl_driver.exe" "$@" 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# psl_place_program EXE DIR: a copy of the program in a folder of its own (it
# keeps "ver" and "config.pl" beside itself, as an installation does); prints
# the copy's path.
psl_place_program() {
  mkdir -p "$2"
  cp --remove-destination "$1" "$2/"
  echo "$2/$(basename "$1")"
}

# psl_start_service STORAGE [MAX_SIZE] [--tls CERT KEY]: the reference
# service for STORAGE on the port built into the test programs (see
# scripts/service.sh).
psl_start_service() { bash "$psl_harness_top/scripts/service.sh" start "$PSL_TEST_SERVICE_PORT" "$@"; }
# psl_stop_service STORAGE: quiet, and nothing when none runs.
psl_stop_service() { bash "$psl_harness_top/scripts/service.sh" stop "$1" >/dev/null 2>&1 || true; }

# psl_program_pid: the program of this Wine prefix only: other runs may have theirs going.
psl_program_pid() {
  local pid
  for pid in $(pgrep -f 'PondixScreenLoader.exe'); do
    if grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null; then
      echo "$pid"
      return
    fi
  done
}
