#!/usr/bin/env bash
# The installer speaks the user's display language, English or Russian: its
# pages (the licence with the notices, the login, the finish page's run box),
# its refusal of a folder and the uninstaller; /L= forces either language. Wine
# takes the display language from the locale. Each page is read through its
# windows' texts, and its picture lands in the artifacts folder for a look.
source "$(dirname "$0")/lib.sh"
new_work install-language
setup="$work/setup.exe"
check "installer built" bash -c "bash '$top/scripts/notices.sh' '$build/PondixScreenLoader.exe.map' '$work/notices.txt' &&
  bash '$top/scripts/make-installer.sh' '$WINEARCH' '$build/PondixScreenLoader.exe' '$work/notices.txt' '$setup'"

shows() { driver texts "$1" | grep -qF -- "$2"; }
# page PROCESS NAME TEXT...: the process's windows come to show every TEXT;
# then their picture is taken as NAME.
page() {
  local process=$1 name=$2 text
  shift 2
  for text; do check "$name shows \"$text\"" wait_until 30 shows "$process" "$text"; done
  import -window root "$artifacts/installer-$name.png"
}
# uninstaller DISPLAY LANG PROGRAM NAME [OPTION]: with the display language
# DISPLAY, the uninstaller's first page speaks LANG. It runs as a copy named
# Un.exe, as it does for users; closing its window cancels it.
uninstaller_gone() { ! driver texts un.exe >/dev/null; }
uninstaller() {
  LC_ALL=${locale[$1]} wine "$3" "${@:5}" &
  page un.exe "$4" "${uninstall[$2]}"
  driver post un.exe '#32770' 0x0010 0 0 >/dev/null  # WM_CLOSE
  wait_until 10 uninstaller_gone
  wait $!
}
# The texts of each language, ours and the standard ones around them.
declare -A caption licence login finish uninstall
caption[en]="Pondix Screenshot Loader Setup"
caption[ru]="Установка Pondix Screenshot Loader"
licence[en]="Pondix Screenshot Loader is free software under the MIT licence"
licence[ru]="Pondix Screenshot Loader — свободная программа под лицензией MIT"
login[en]="Enter your login on the Pondix service. On an upgrade, leave the field empty"
login[ru]="Введите ваш логин на сервисе Pondix. При обновлении оставьте поле пустым"
finish[en]="&Run Pondix Screenshot Loader"
finish[ru]="&Запустить Pondix Screenshot Loader"
uninstall[en]="Pondix Screenshot Loader Uninstall"
uninstall[ru]="Удаление Pondix Screenshot Loader"
declare -A locale=([en]=en_US.UTF-8 [ru]=ru_RU.UTF-8)

for lang in en ru; do
  LC_ALL=${locale[$lang]} timeout 120 wine "$setup" "/D=C:\\Pondix-$lang" &
  setup_pid=$!
  # The licence page shows the licence, then the notices, in UTF-8 read right.
  page setup.exe "$lang-1-licence" "${caption[$lang]}" "${licence[$lang]}" "MIT License" \
    "Copyright (C)2015 Viktor Szathmáry" "GCC RUNTIME LIBRARY EXCEPTION"
  driver box-ok setup.exe  # Next
  page setup.exe "$lang-2-login" "${login[$lang]}"
  driver box-ok setup.exe  # Next: installs, then finishes
  page setup.exe "$lang-3-finish" "${finish[$lang]}"
  kill "$setup_pid"
  wait "$setup_pid"
  uninstaller "$lang" "$lang" "C:\\Pondix-$lang\\uninstall.exe" "$lang-4-uninstall"
done

# The refusal of a folder with someone else's files, in Russian.
photos=$(winepath -u 'C:\photos' 2>/dev/null)
mkdir -p "$photos"
printf 'picture' >"$photos/holiday.jpg"
LC_ALL=ru_RU.UTF-8 timeout 60 wine "$setup" '/D=C:\photos' &
setup_pid=$!
box=$(driver message-box setup.exe 30)
import -window root "$artifacts/installer-ru-refusal.png"
driver box-ok setup.exe
echo "$box"
check "ru: the refusal names the folder and the file in Russian" \
  test -n "$(grep -F 'Установить Pondix Screenshot Loader в папку «C:\photos» нельзя' <<<"$box" | grep -F '«holiday.jpg»')"
wait "$setup_pid"

# /L= wins over the display language, both ways, in the uninstaller too.
for forced in "en 1049 ru" "ru 1033 en"; do
  read -r display id lang <<<"$forced"
  LC_ALL=${locale[$display]} timeout 60 wine "$setup" "/L=$id" '/D=C:\Pondix-forced' &
  setup_pid=$!
  page setup.exe "$lang-forced-by-$id" "${caption[$lang]}" "${licence[$lang]}"
  kill "$setup_pid"
  wait "$setup_pid"
  uninstaller "$display" "$lang" "C:\\Pondix-$display\\uninstall.exe" "$lang-uninstall-forced-by-$id" "/L=$id"
done
finish
