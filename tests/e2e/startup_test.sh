#!/usr/bin/env bash
# The start-up as users meet it, with the reference service: the version check
# against the file "ver" beside the program (quiet first start, the request to
# update with the download opened, the message when the service fails the
# request and the end of the program), the autostart value, and failures of
# the start-up shown in the standard error box while the tray icon carries on.
source "$(dirname "$0")/lib.sh"

new_work startup
# A folder with spaces in its name, as under "Program Files".
app="$work/Program Files/Pondix Shot"
exe=$(private_copy "$app")
ver="$app/ver"
mkdir -p "$work/cwd"
start_service "$work/service"
version() { printf '%s' "$1" >"$work/service/ver.txt"; }

browser_log="$work/browser.log"
record_browser "$browser_log"

start_program() { (cd "$work/cwd" && exec "$@" wine "$exe") & }
running() { [ -n "$(program_pid)" ]; }
ended() { ! running; }
stop_program() {
  driver close TForm1 >/dev/null
  wait_until 15 ended
}
# box TEXT: the program shows a message box with its title and this text.
box() { [ "$(driver message-box pondixscreenloader.exe 20)" = "$title"$'\n'"$1" ]; }
no_box() { ! driver message-box pondixscreenloader.exe 3 >/dev/null; }
autostart_value() {
  wine reg query "$run_key" /v PondixScreenLoader 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *PondixScreenLoader *REG_SZ *//p'
}
no_autostart_value() { ! wine reg query "$run_key" /v PondixScreenLoader >/dev/null 2>&1; }
forget_autostart() { wine reg delete "$run_key" /v PondixScreenLoader /f >/dev/null 2>&1; }
hotkey_taken() { [ "$(driver hotkey-free)" = taken ]; }
content() { od -An -c "$1" | tr -s ' '; }

# First start: no run key at all, no "ver".
wine reg delete "$run_key" /f >/dev/null 2>&1
version "2.5"
start_program
check "first start: icon in the tray" driver wait-tip "$tip" 30
check "first start: no message" no_box
check "first start: ver holds the version and CR LF" test "$(content "$ver")" = "$(printf '2.5\r\n' | od -An -c | tr -s ' ')"
expected_path="\"$(winepath -w "$exe" 2>/dev/null | tr -d '\r')\""
check "the missing run key was created with the path, spaces and all, in quotes" \
  test "$(autostart_value)" = "$expected_path"
echo "autostart value: $(autostart_value)"
check "first start: Alt+S is held" hotkey_taken
check "first start: the program runs on" running
stop_program

# The same version with a line break and spaces around it: nothing happens.
version $'  2.5 \r\n'
touch -d '2020-01-01 00:00' "$ver"
forget_autostart
start_program
check "same version: icon in the tray" driver wait-tip "$tip" 30
check "same version: no message" no_box
check "same version: ver untouched" test "$(stat -c %Y "$ver")" = "$(date -d '2020-01-01 00:00' +%s)"
check "same version: the autostart value comes back" test "$(autostart_value)" = "$expected_path"
stop_program

# A version that differs only in case is a new one.
version "2.5A"
printf '2.5a\r\n' >"$ver"
start_program
check "new version: the request to update" box "$update_text"
check "new version: the tray icon is there meanwhile" driver wait-tip "$tip" 5
check "new version: no browser before OK" test ! -s "$browser_log"
import -window root "$artifacts/startup_update_box.png"
driver keys $VK_RETURN
check "new version: OK opens the download address" wait_until 10 test -s "$browser_log"
check "new version: exactly the download address" \
  test "$(cat "$browser_log")" = "http://$PSL_TEST_SERVICE_HOST/PondixScreenLoader.exe"
check "new version: ver rewritten" test "$(content "$ver")" = "$(printf '2.5A\r\n' | od -An -c | tr -s ' ')"
check "new version: the program runs on in the tray" wait_until 10 hotkey_taken
check "new version: no second message" no_box
stop_program

# "Выход" from the tray menu while the update message is shown: the program
# ends there, with no browser, no new "ver", no autostart value, no hotkey.
version "2.6"
printf '2.5A\r\n' >"$ver"
touch -d '2020-01-01 00:00' "$ver"
forget_autostart
: >"$browser_log"
start_program
check "exit during the update message: the message" box "$update_text"
driver click $icon_x $icon_y right
check "exit during the update message: the tray menu opens" wait_until 5 driver visible '#32768'
driver keys $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
check "exit during the update message: the program ends" wait_until 15 ended
check "exit during the update message: no browser" test ! -s "$browser_log"
check "exit during the update message: ver untouched" test "$(stat -c %Y "$ver")" = "$(date -d '2020-01-01 00:00' +%s)"
check "exit during the update message: no autostart value" no_autostart_value
check "exit during the update message: Alt+S free" driver hotkey-free
version "2.5A"
sleep 2

# A service that answers 404: the message at once, asked once; then the end.
# (A service that cannot be reached at all is waited for: startup_wait_test.sh.)
printf '1.0\r\n' >"$ver"
touch -d '2020-01-01 00:00' "$ver"
forget_autostart
echo "/ver.txt 404" >"$work/service/statuses.txt"
connections() { grep -c ' Accepted$' "$work/service/.service.log"; }
before=$(connections)
start_program
check "status 404: the server-unavailable message" box "$unavailable_text"
check "status 404: icon shown meanwhile" driver wait-tip "$tip" 5
check "status 404: asked once" test "$(connections)" -eq $((before + 1))
driver keys $VK_ESCAPE
check "status 404: the program ends after the message" wait_until 15 ended
check "status 404: no autostart value" no_autostart_value
check "status 404: ver untouched" test "$(stat -c %Y "$ver")" = "$(date -d '2020-01-01 00:00' +%s)"
# Explorer asked for its tooltips while it drops an icon can keep the tip.
sleep 2
check "status 404: the icon is gone" wait_until 10 icon_gone "$tip"
rm "$work/service/statuses.txt"

# An empty "ver": the list-index failure in the standard error box, no later step.
: >"$ver"
forget_autostart
start_program
check "empty ver: the standard error box" box "List index out of bounds (0)"
driver keys $VK_RETURN
sleep 1
check "empty ver: the program runs on" running
check "empty ver: Alt+S not registered" driver hotkey-free
check "empty ver: no autostart value" no_autostart_value
check "empty ver: ver still empty" test ! -s "$ver"
stop_program

# An empty login file: the autostart value comes before it, the hotkey after.
printf '2.5A\r\n' >"$ver"
: >"$app/config.pl"
forget_autostart
start_program
check "empty config.pl: the standard error box" box "List index out of bounds (0)"
driver keys $VK_RETURN
sleep 1
check "empty config.pl: the autostart value was written before" test "$(autostart_value)" = "$expected_path"
check "empty config.pl: Alt+S not registered" driver hotkey-free
check "empty config.pl: the program runs on" running
stop_program
rm "$app/config.pl"

# A folder in which "ver" cannot be created. Root writes anywhere, so the
# folder is mounted read-only, in the run's own mount namespace only.
rm -f "$ver"
forget_autostart
readonly_mount=0
if [ "$(readlink /proc/self/ns/mnt)" != "$(readlink /proc/1/ns/mnt)" ] && mount --bind -o ro "$app" "$app"; then
  readonly_mount=1
else
  echo "note: no mount of our own here; a dangling link stands in for the read-only folder"
  ln -s /proc/nonexistent/ver "$ver"
fi
start_program
create_error_box() {
  local shown
  shown=$(driver message-box pondixscreenloader.exe 1) || return 1
  [ "$(head -n1 <<<"$shown")" = "$title" ] && grep -qE '^Cannot create file ".*ver"\. ' <<<"$shown"
}
check "read-only folder: the standard error box" wait_until 20 create_error_box
driver message-box pondixscreenloader.exe 1 | sed 's/^/  box: /'
import -window root "$artifacts/startup_error_box.png"
driver keys $VK_RETURN
check "read-only folder: the tray icon stays" driver wait-tip "$tip" 10
check "read-only folder: no autostart value" no_autostart_value
check "read-only folder: Alt+S not registered" driver hotkey-free
driver click $icon_x $icon_y right
check "read-only folder: the tray menu still opens" wait_until 5 driver visible '#32768'
driver keys $VK_ESCAPE
stop_program
# Wine may hold the folder a moment after the program has gone.
[ "$readonly_mount" = 1 ] && wait_until 10 umount "$app" 2>/dev/null
rm -f "$ver"

# Another program took Alt+S before the start: a balloon says so; the menu still works.
wine "$build/tests/e2e/psl_driver.exe" hold-hotkey 60 >"$work/hotkey.log" 2>/dev/null &
wait_until 10 grep -q held "$work/hotkey.log" && start_program
taken_told() { driver tips | grep -qxF "Alt+S уже использует другая программа. Скриншот по-прежнему можно сделать из меню значка: первый пункт, «Сделать скриншот»."; }
check "Alt+S held elsewhere: the balloon says so" wait_until 30 taken_told
driver click $icon_x $icon_y right && wait_until 5 driver visible '#32768' && driver keys $VK_DOWN $VK_RETURN
driver wait-shown TForm3 10 && driver drag 300 200 500 350
link_given() { driver clipboard | grep -qE "^http://$PSL_TEST_SERVICE_HOST/pic/[^ ]+\.jpg$"; }
check "Alt+S held elsewhere: the menu's first item gives a link" wait_until 15 link_given
stop_program
finish
