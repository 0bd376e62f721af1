#!/usr/bin/env bash
# Many captures with uploads in one run of the program, as weeks in the tray
# would make them: the program's open files, threads and resident memory
# (read from its own process, since Wine answers the Windows counters with 0)
# after the first few captures and after all of them. Growth must stay within
# a few files and a few MiB; a leaked GDI bitmap or handle shows there.
#   soak_test.sh BUILD [CAPTURES]   (inside scripts/wine-run.sh --mode compositor)
source "$(dirname "$0")/lib.sh"
captures=${2:-200}
warmup=10
new_work soak
storage="$work/pictures"
mkdir -p "$work/cwd"
app=$(private_copy "$work/app")
start_service "$storage"
wine "$build/tests/e2e/psl_pattern.exe" 160 120 1000 700 &
check "pattern window shown" driver wait-shown PslPatternWindow 30
(cd "$work/cwd" && exec wine "$app") &
check "program started" wait_until 30 driver exists TForm3
sleep 1
pid=$(program_pid)

stored() { find "$storage" -maxdepth 1 -name '*.jpg' | wc -l; }
footprint() {  # open files, threads, resident KiB
  echo "$(ls "/proc/$pid/fd" | wc -l) $(sed -n 's/^Threads:\s*//p' "/proc/$pid/status")" \
    "$(sed -n 's/^VmRSS:\s*\([0-9]*\) kB/\1/p' "/proc/$pid/status")"
}
capture() {  # one capture, waited for until the service holds it
  local want=$(($(stored) + 1)) x=$((200 + RANDOM % 400)) y=$((150 + RANDOM % 300))
  driver alt-s
  driver wait-shown TForm3 10 || return 1
  driver drag "$x" "$y" $((x + 240)) $((y + 180)) >/dev/null
  driver wait-hidden TForm3 10 || return 1
  wait_until 15 stored_at_least "$want"
}
stored_at_least() { [ "$(stored)" -ge "$1" ]; }

failed_captures=0
for i in $(seq "$captures"); do
  capture || failed_captures=$((failed_captures + 1))
  if [ "$i" = "$warmup" ]; then
    sleep 1
    read -r files0 threads0 rss0 <<<"$(footprint)"
  fi
done
sleep 2
read -r files1 threads1 rss1 <<<"$(footprint)"
echo "after capture $warmup: $files0 open files, $threads0 threads, $((rss0 / 1024)) MiB resident"
echo "after capture $captures: $files1 open files, $threads1 threads, $((rss1 / 1024)) MiB resident"
echo "growth: $((files1 - files0)) files, $((threads1 - threads0)) threads, $(((rss1 - rss0) / 1024)) MiB"
check "every capture arrived" test "$failed_captures" = 0
check "the service holds one picture per capture" test "$(stored)" = "$captures"
check "no picture left behind" test -z "$(ls "$work/cwd")"
check "open files grow by 4 at most" test $((files1 - files0)) -le 4
check "threads grow by 2 at most" test $((threads1 - threads0)) -le 2
check "resident memory grows by 8 MiB at most" test $((rss1 - rss0)) -le 8192
check "program still running" kill -0 "$pid"
finish
