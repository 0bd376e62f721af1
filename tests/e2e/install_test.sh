#!/usr/bin/env bash
# The installer of this build as a user meets it, silent: the program, its
# shortcut, "config.pl" with the given login and the uninstall entry in the
# user's own folders; the installed program at work against the service with
# that login; an upgrade over the running copy; and a silent uninstall while it
# runs that ends it and leaves nothing behind, the autostart value included.
source "$(dirname "$0")/lib.sh"
tip="Pondix Screenshot Loader"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PondixScreenLoader'
run_key='HKCU\software\microsoft\windows\currentversion\run'
login=installed-user
new_work install
setup="$work/setup.exe"
storage="$work/pictures"
mkdir -p "$work/cwd"
check "installer built" bash "$top/scripts/make-installer.sh" "$WINEARCH" "$build/PondixScreenLoader.exe" "$setup"
start_service "$storage"

windows_var() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
folder_win="$(windows_var LOCALAPPDATA)\\Programs\\Pondix Shot"
folder=$(winepath -u "$folder_win" 2>/dev/null)
shortcut=$(winepath -u "$(windows_var APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\$tip.lnk" 2>/dev/null)
entry() { wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
autostart_value() { wine reg query "$run_key" /v PondixScreenLoader 2>/dev/null | tr -d '\r' | sed -n 's/^ *PondixScreenLoader *REG_SZ *//p'; }

wine "$setup" /S "/LOGIN=$login"
echo "installed into: $folder_win"
check "the program in the user's folder" test -f "$folder/PondixScreenLoader.exe"
check "the same bytes as the build" cmp -s "$folder/PondixScreenLoader.exe" "$build/PondixScreenLoader.exe"
check "config.pl with exactly the login as its line" test "$(od -An -c "$folder/config.pl")" = "$(printf '%s\r\n' "$login" | od -An -c)"
check "the Start-menu shortcut" test -f "$shortcut"
check "the uninstall entry's name" test "$(entry DisplayName)" = "$tip"
check "the uninstall entry's folder" test "$(entry InstallLocation)" = "$folder_win"
check "the uninstall entry's command" test "$(entry UninstallString)" = "\"$folder_win\\uninstall.exe\""
check "the uninstall entry's version and size" bash -c "[ -n '$(entry DisplayVersion)' ] && [ -n '$(entry EstimatedSize)' ]"

(cd "$work/cwd" && exec wine "$folder/PondixScreenLoader.exe") &
check "the installed program shows its icon" driver wait-tip "$tip" 30
check "and writes ver beside itself" wait_until 10 test -f "$folder/ver"
check "its autostart value names the installed program" test "$(autostart_value)" = "\"$folder_win\\PondixScreenLoader.exe\""
login_stored() { [ "$(cat "$storage"/*.jpg.login 2>/dev/null)" = "$login" ]; }
hotkey_taken() { [ "$(driver hotkey-free)" = taken ]; }
check "and holds Alt+S" wait_until 10 hotkey_taken
driver alt-s
driver wait-shown TForm3 10
driver drag 300 200 500 350
check "an upload from it carries the login" wait_until 15 login_stored

# An upgrade over the running copy, with no login given: the copy is ended
# first, and the login stays.
pid=$(program_pid)
wine "$setup" /S
check "installing over the running program ends it" wait_until 30 bash -c "! kill -0 $pid 2>/dev/null"
check "an upgrade without a login keeps config.pl" test "$(od -An -c "$folder/config.pl")" = "$(printf '%s\r\n' "$login" | od -An -c)"

(cd "$work/cwd" && exec wine "$folder/PondixScreenLoader.exe") &
check "the upgraded program runs" wait_until 30 hotkey_taken
pid=$(program_pid)
wine "$folder/uninstall.exe" /S
check "a silent uninstall ends the running program" wait_until 30 bash -c "! kill -0 $pid 2>/dev/null"
check "and leaves no folder" wait_until 30 test ! -e "$folder"
check "no shortcut" test ! -e "$shortcut"
check "no uninstall entry" bash -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
check "no autostart value" bash -c "! wine reg query '$run_key' /v PondixScreenLoader >/dev/null 2>&1"
finish
