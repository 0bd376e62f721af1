#!/usr/bin/env bash
# The installer of this build as a user meets it, silent: the program with its
# licence and third-party notices, its shortcut, "config.pl" with the given
# login and the uninstall entry in the user's own folders; the installed
# program at work against the service with that login; an upgrade over the
# running copy; and a silent uninstall while it runs that ends it and leaves
# nothing behind, the autostart value included.
# Both keep to their own: no folder of someone else's files is written to, no
# file of the user's is removed, no window of another program is asked to
# close, and a copy of ours that will not end stops the setup in about 10 s.
# The user's profile folder is named in Cyrillic, which the ANSI code page
# (1252 here) cannot spell.
source "$(dirname "$0")/lib.sh"
# The messages read here are the English ones (install_language_test.sh has both).
export LC_ALL=en_US.UTF-8
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PondixScreenLoader'
login=installed-user
new_work install
setup="$work/setup.exe"
storage="$work/pictures"
mkdir -p "$work/cwd"
notices="$work/THIRD-PARTY-NOTICES.txt"
check "notices written from the link map" bash "$top/scripts/notices.sh" "$build/PondixScreenLoader.exe.map" "$notices"
check "installer built" bash "$top/scripts/make-installer.sh" "$WINEARCH" "$build/PondixScreenLoader.exe" "$notices" "$setup"
start_service "$storage"

windows_var() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
local_app_data='C:\users\Иван Петров\AppData\Local'
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' /v 'Local AppData' /d "$local_app_data" /f >/dev/null 2>&1
folder_win="$local_app_data\\Programs\\Pondix Shot"
folder=$(winepath -u "$folder_win" 2>/dev/null)
shortcut=$(winepath -u "$(windows_var APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\$tip.lnk" 2>/dev/null)
# reg query prints in the console's code page: 866, that of ru_RU, has Cyrillic.
entry() { LC_ALL=ru_RU.UTF-8 wine reg query "$uninstall_key" /v "$1" 2>/dev/null | iconv -f CP866 | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
uninstall_entry_gone() { ! wine reg query "$uninstall_key" >/dev/null 2>&1; }
# What a folder holds: every name, and every file's bytes.
folder_state() { (cd "$1" && find . | sort && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }
autostart_value() { LC_ALL=ru_RU.UTF-8 wine reg query "$run_key" /v PondixScreenLoader 2>/dev/null | iconv -f CP866 | tr -d '\r' | sed -n 's/^ *PondixScreenLoader *REG_SZ *//p'; }

# The user's pictures with a settings file and another program's uninstaller,
# and another product's folder with names like ours only: the installer
# refuses both and writes nothing there, and no uninstall of ours touches them.
photos=$(winepath -u 'C:\photos' 2>/dev/null)
product=$(winepath -u 'C:\OtherProduct' 2>/dev/null)
mkdir -p "$photos" "$product"
printf 'picture' >"$photos/1.jpg"
printf 'picture' >"$photos/holiday.jpg"
printf 'their settings\r\n' >"$photos/config.pl"
printf 'MZ their uninstaller' >"$photos/uninstall.exe"
printf 'MZ their uninstaller' >"$product/uninstall.exe"
printf 'their settings\r\n' >"$product/config.pl"
photos_state=$(folder_state "$photos")
product_state=$(folder_state "$product")
wine "$setup" /S '/D=C:\photos'
check "a silent install into the user's pictures fails" test $? != 0
wine "$setup" /S '/D=C:\OtherProduct'
check "a silent install into another product's folder fails" test $? != 0
check "and writes nothing there" test "$(folder_state "$photos")$(folder_state "$product")" = "$photos_state$product_state"
check "nor registers" uninstall_entry_gone
timeout 60 wine "$setup" '/D=C:\photos' &
setup_pid=$!
box=$(driver message-box setup.exe 30)
driver box-ok setup.exe
echo "$box"
check "shown, the refusal names the folder and a file in the way" \
  test -n "$(grep -F '"C:\photos"' <<<"$box" | grep -F '"holiday.jpg"')"
wait "$setup_pid"
check "and fails" test $? != 0

wine "$setup" /S "/LOGIN=$login"
echo "installed into: $folder_win"
check "the program in the user's folder" test -f "$folder/PondixScreenLoader.exe"
check "the same bytes as the build" cmp -s "$folder/PondixScreenLoader.exe" "$build/PondixScreenLoader.exe"
check "beside it the MIT licence as a Windows text" cmp -s "$folder/LICENSE.txt" <(sed 's/$/\r/' "$top/LICENSE")
check "and the third-party notices" cmp -s "$folder/THIRD-PARTY-NOTICES.txt" "$notices"
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

# Another program's window with our main form's class and caption, made after
# our copy's and so ahead of it in the list, beside the upgrade and the
# uninstall. It stalls on a close request, as one asking to save would.
foreign_log="$work/foreign-form1.txt"
wine "$build/tests/e2e/psl_driver.exe" foreign-form1 300 >"$foreign_log" 2>/dev/null &
foreign_pid=$!
check "another program's Form1 is up" wait_until 20 grep -q '^ready' "$foreign_log"

# An upgrade over the running copy, with no login given: the copy is ended
# first, and the login stays.
pid=$(program_pid)
timeout 60 wine "$setup" /S
check "an upgrade beside another program's Form1 succeeds within 60 s" test $? = 0
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
check "another program's Form1 was never asked to close" test "$(grep -c 'close request' "$foreign_log")" = 0
driver post psl_driver.exe TForm1 0x0012 0 0 >/dev/null  # WM_QUIT
check "and its window lived through the upgrade and the uninstall" wait "$foreign_pid"

# An installation made before the installer left its marker, with what the
# program writes beside itself: installing again is an upgrade. Then the user's
# own files in the folder stay through the uninstall, and so does the folder.
wine "$setup" /S "/LOGIN=$login"
rm "$folder/PondixScreenLoader.installed"
printf 'version\r\n' >"$folder/ver"
printf 'picture' >"$folder/123.jpg"
timeout 60 wine "$setup" /S
check "an installation without the marker, registered as ours, is upgraded" test $? = 0
theirs=(notes.txt holiday.jpg 0123.jpg 100000.jpg -1.jpg)
for name in "${theirs[@]}" 0.jpg 99999.jpg; do printf 'picture' >"$folder/$name"; done
wine "$folder/uninstall.exe" /S
check "the uninstall ends" wait_until 60 uninstall_entry_gone
left=$(ls -A "$folder" | sort)
echo "left in the folder: $(tr '\n' ' ' <<<"$left")"
check "and takes ours, pictures named by the program included, but leaves the user's files in their folder" \
  test "$left" = "$(printf '%s\n' "${theirs[@]}" | sort)"
check "no uninstall touched the user's pictures or the other product's folder" \
  test "$(folder_state "$photos")$(folder_state "$product")" = "$photos_state$product_state"

# A copy of ours that will not end (the driver's Form1 as the installed
# program): the installer gives up after about 10 s and replaces nothing.
stubborn=$(winepath -u 'C:\Stubborn' 2>/dev/null)
wine "$setup" /S '/D=C:\Stubborn'
cp "$build/tests/e2e/psl_driver.exe" "$stubborn/PondixScreenLoader.exe"
stubborn_log="$work/stubborn.txt"
wine "$stubborn/PondixScreenLoader.exe" foreign-form1 300 >"$stubborn_log" 2>/dev/null &
stubborn_pid=$!
check "a copy that will not end is up" wait_until 20 grep -q '^ready' "$stubborn_log"
started=$SECONDS
timeout 60 wine "$setup" /S '/D=C:\Stubborn'
rc=$?
took=$((SECONDS - started))
echo "the install over it ended with $rc after $took s"
check "installing over it is asked to end it, then fails after 9 to 20 s" \
  bash -c "[ $rc != 0 ] && [ $took -ge 9 ] && [ $took -le 20 ] && grep -q 'close request' '$stubborn_log'"
check "and leaves its program in place" cmp -s "$stubborn/PondixScreenLoader.exe" "$build/tests/e2e/psl_driver.exe"
kill "$stubborn_pid"
finish
