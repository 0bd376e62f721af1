#!/usr/bin/env bash
# Time from the mouse release to the link on the clipboard for a 1280x800 area,
# under Wine with a compositor and the reference service on loopback; split
# into the picture written (grab, encoding, file) and the upload after it.
# Then the same with the service over HTTPS (nginx in front of it, the test
# authority trusted in this run's own mount namespace) and the program built
# for it, so that both show side by side.
#   capture_upload_timing.sh [RUNS]   (runs inside scripts/wine-run.sh itself,
#   with a loopback of its own, so the service port clashes with no test's)
# PSL_BENCH_ARCH=win32 times the 32-bit build instead of the 64-bit one.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${PSL_BENCH_ARCH:-win64}
if [ -z "${WINEPREFIX:-}" ]; then
  export PSL_WINE_SCREEN=1600x1000
  exec bash "$top/scripts/wine-run.sh" --arch "$arch" --mode compositor --timeout 900 --own-loopback bash "$0" "$@"
fi
source "$top/scripts/harness.sh"
runs=${1:-8}
build="$top/build/$arch"
work=$(mktemp -d "$build/timing.XXXXXX")
storage="$work/pictures"
mkdir -p "$work/cwd"
program=$(psl_place_program "$build/PondixScreenLoader.exe" "$work/app")
driver() { psl_driver "$build" "$@"; }
trap 'psl_stop_service "$storage"; rm -rf "$work"' EXIT

psl_start_service "$storage" || exit 1
wine "$build/tests/e2e/psl_pattern.exe" 0 0 1600 1000 &
driver wait-shown PslPatternWindow 30 >/dev/null
start_program() {
  (cd "$work/cwd" && exec wine "$program") &
  for _ in $(seq 100); do driver exists TForm3 && break; sleep 0.2; done
  sleep 1
}
start_program
dir=$(winepath -w "$work/cwd" 2>/dev/null)
time_uploads() {  # time_uploads LABEL: the runs, then their medians
  local results=() line i
  for i in $(seq "$runs"); do
    driver alt-s
    driver wait-shown TForm3 10 >/dev/null
    line=$(driver time-upload 100 100 1380 900 "$dir")
    echo "$1 run $i: $line"
    results+=("$line")
    sleep 1
  done
  printf '%s\n' "${results[@]}" | PSL_LABEL=$1 python3 -c '
import os, re, statistics, sys
w, l = [], []
for line in sys.stdin:
    m = re.search(r"written (-?\d+) ms, link on the clipboard (-?\d+) ms", line)
    if m and int(m.group(1)) >= 0 and int(m.group(2)) >= 0:
        w.append(int(m.group(1))); l.append(int(m.group(2)))
if not w:
    sys.exit("no complete run")
up = [b - a for a, b in zip(w, l)]
label = os.environ["PSL_LABEL"]
print(f"{label}: 1280x800 area, {len(w)} runs, median (min..max):")
print(f"  release to picture written (grab + encoding): {statistics.median(w):.0f} ms ({min(w)}..{max(w)})")
print(f"  picture written to link on the clipboard (upload): {statistics.median(up):.0f} ms ({min(up)}..{max(up)})")
print(f"  release to link on the clipboard: {statistics.median(l):.0f} ms ({min(l)}..{max(l)})")
'
}
time_uploads "plain HTTP" | tee "$work/plain.txt"

# The idle program in the tray: its CPU time and its wake-ups (context
# switches of all its threads) over a stretch of quiet, read from its own
# process in /proc.
idle=${PSL_IDLE_SECONDS:-60}
pid=$(psl_program_pid)
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
switches() { cat /proc/"$pid"/task/*/status | awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { print n }'; }
if [ -n "$pid" ]; then
  sleep 2  # the last upload's balloon and status settle
  before=$(ticks) woken=$(switches)
  sleep "$idle"
  after=$(ticks) woken=$(($(switches) - woken))
  hz=$(getconf CLK_TCK)
  echo "idle in the tray for ${idle} s: $(python3 -c "print(f'{($after - $before) / $hz * 1000:.0f} ms CPU, {($after - $before) / $hz / $idle * 100:.2f} % of one core, {$woken / $idle:.1f} wake-ups a second')")"
fi

# The same over HTTPS: the service behind nginx, the program built for it.
driver close TForm1 >/dev/null
for _ in $(seq 50); do driver exists TForm3 || break; sleep 0.2; done
psl_stop_service "$storage"
if [ -n "${PSL_WINE_NETNS:-}" ] && [ -f "$build/https/PondixScreenLoader.exe" ]; then
  bash "$top/scripts/test-ca.sh" "$work/ca"
  mount --bind "$work/ca/bundle.crt" /etc/ssl/certs/ca-certificates.crt
  psl_start_service "$storage" --tls "$work/ca/good.pem" "$work/ca/server.key" || exit 1
  program=$(psl_place_program "$build/https/PondixScreenLoader.exe" "$work/app")
  start_program
  time_uploads "HTTPS" | tee "$work/https.txt"
  driver close TForm1 >/dev/null
  echo "side by side (release to link on the clipboard):"
  grep -h -A3 "runs, median" "$work/plain.txt" "$work/https.txt" | grep -E "runs, median|upload|release to link"
else
  echo "HTTPS: not timed (needs the run's own mount namespace and the build's https program)"
fi
