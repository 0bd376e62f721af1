#!/usr/bin/env bash
# The start-up while the service cannot be reached yet, as at logon before the
# network is up: the program waits with its tray icon alive and no message,
# carries on as usual once the service answers, tells the user and ends after
# about a minute without one, and ends at once when "Выход" is chosen while it
# waits, between requests or during one. (A failing answer is told at once:
# startup_test.sh.)
source "$(dirname "$0")/lib.sh"

new_work startup-wait
app="$work/app"
exe=$(private_copy "$app")
ver="$app/ver"
mkdir -p "$work/cwd" "$work/service"
printf '2.5' >"$work/service/ver.txt"

# Wine closes the virtual desktop about a second after its last program has
# gone, and a program started while it closes gets no tray icon. A driver that
# waits for a window nobody makes keeps it open between the program's runs.
wine "$build/tests/e2e/psl_driver.exe" wait-shown PslNoSuchWindow 280 >/dev/null 2>&1 &
desktop_keeper=$!
# Explorer keeps the tip of an icon that went, so a new icon is one tip more.
tips_before=0
start_program() {
  tips_before=$(tip_count "$tip")
  (cd "$work/cwd" && exec wine "$exe") &
}
icon_shown() { [ "$(tip_count "$tip")" -gt "$tips_before" ]; }
running() { [ -n "$(program_pid)" ]; }
ended() { ! running; }
box() { [ "$(driver message-box pondixscreenloader.exe "$2")" = "$title"$'\n'"$1" ]; }
no_box() { [ "$(driver box-count pondixscreenloader.exe)" = 0 ]; }
autostart_value() {
  wine reg query "$run_key" /v PondixScreenLoader 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *PondixScreenLoader *REG_SZ *//p'
}
autostart_is_the_program() { [ "$(autostart_value)" = "\"$(winepath -w "$exe" 2>/dev/null | tr -d '\r')\"" ]; }
no_autostart_value() { ! wine reg query "$run_key" /v PondixScreenLoader >/dev/null 2>&1; }
forget_autostart() { wine reg delete "$run_key" /v PondixScreenLoader /f >/dev/null 2>&1; }
hotkey_taken() { [ "$(driver hotkey-free)" = taken ]; }
hotkey_free() { [ "$(driver hotkey-free)" = free ]; }
shown() { driver visible "$1" >/dev/null; }
old_ver() {
  printf '2.5\r\n' >"$ver"
  touch -d '2020-01-01 00:00' "$ver"
}
ver_untouched() { test "$(stat -c %Y "$ver")" = "$(date -d '2020-01-01 00:00' +%s)"; }
# A connection the service took and holds: PHP's server logs both ends.
request_held() {
  awk '/ Accepted$/ { open[$(NF - 1)] = 1 } / Closing$/ { delete open[$(NF - 1)] }
       END { exit length(open) == 0 }' "$work/service/.service.log"
}
choose_exit() {
  driver click $icon_x $icon_y right
  wait_until 5 shown '#32768' || return 1
  driver keys $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
}

# The service starts listening 8 s after the program: the start-up goes on
# as if it had been there, with no message.
rm -f "$ver"
forget_autostart
start_program
started=$SECONDS
check "late service: icon in the tray before the service" wait_until 30 icon_shown
sleep $((started + 8 - SECONDS > 0 ? started + 8 - SECONDS : 0))
check "late service: no message while it was away" no_box
check "late service: nothing written while it was away" test ! -e "$ver"
start_service "$work/service"
check "late service: ver written once it answers" wait_until 40 test -s "$ver"
check "late service: ver holds its version" test "$(cat "$ver")" = $'2.5\r'
check "late service: the autostart value set" wait_until 10 autostart_is_the_program
check "late service: Alt+S is held" wait_until 10 hotkey_taken
driver alt-s
check "late service: Alt+S shows the overlay" wait_until 5 shown TForm3
driver close TForm3 >/dev/null
driver close TForm1 >/dev/null
check "late service: the program ends when closed" wait_until 15 ended
stop_service

# No service at all: the program waits quietly, then tells the user and ends.
old_ver
forget_autostart
start_program
check "no service: icon in the tray" wait_until 30 icon_shown
sleep 30
check "no service: no message half a minute on" no_box
check "no service: still running meanwhile" running
check "no service: Alt+S not yet held" hotkey_free
check "no service: the server-unavailable message in the end" box "$unavailable_text" 60
import -window root "$artifacts/startup_unavailable_box.png"
driver keys $VK_ESCAPE
check "no service: the program ends after the message" wait_until 15 ended
check "no service: no autostart value" no_autostart_value
check "no service: ver untouched" ver_untouched
check "no service: the icon is gone" wait_until 10 icon_gone "$tip"

# "Выход" between requests: the program ends at once instead of waiting on.
start_program
check "exit between requests: icon in the tray" wait_until 30 icon_shown
sleep 3
check "exit between requests: the tray menu opens" choose_exit
check "exit between requests: the program ends at once" wait_until 5 ended
check "exit between requests: the icon is gone" wait_until 10 icon_gone "$tip"

# "Выход" while a request is held by a service that answers late, but within
# the request's time limit: the menu opens meanwhile, and the program ends
# without waiting for the answer, which would have let the start-up go on.
rm -f "$ver"
forget_autostart
start_service "$work/service"
echo "/ver.txt 10" >"$work/service/delays.txt"
start_program
check "exit during a request: icon in the tray" wait_until 30 icon_shown
check "exit during a request: the request is held" wait_until 30 request_held
check "exit during a request: the tray menu opens" choose_exit
check "exit during a request: the program ends at once" wait_until 5 ended
sleep 10
check "exit during a request: no ver written" test ! -e "$ver"
check "exit during a request: no autostart value" no_autostart_value
kill "$desktop_keeper"
finish
