#!/usr/bin/env bash
# The main job end to end, with a compositor and the reference service on
# loopback: Alt+S, a drag over a known picture, and moments later the link is on
# the clipboard, the service holds that part of the picture with the login from
# config.pl, the file is gone and the success balloon was shown. Refusals give
# their error balloons; a stopped service gives none and leaves the file. Esc leaves
# the veil. Its folders are in Kazakh, which code pages 1252 (en_US) and 1251 lack.
source "$(dirname "$0")/lib.sh"
export LC_ALL=en_US.UTF-8
checker="$top/tests/e2e/check_picture.py"
new_work upload-Әсем-Қасымова
storage="$work/pictures"
mkdir -p "$work/cwd" "$work/temp"
for name in TMP TEMP; do wine reg add 'HKCU\Environment' /v $name /d "Z:${work//\//\\}\\temp" /f >/dev/null 2>&1; done

# Explorer (desktop, tray and balloons) started first, so that its trace of the
# balloons' titles and texts is ours to read.
WINEDEBUG=-all,+tooltips wine explorer.exe /desktop >/dev/null 2>"$work/explorer.log" &
sleep 2
wine "$build/tests/e2e/psl_pattern.exe" 160 120 1000 700 &
check "pattern window shown" driver wait-shown PslPatternWindow 30

# The program runs from a folder of its own with its login file beside it,
# saved by an editor that puts a UTF-8 byte-order mark first.
app=$(private_copy "$work/app")
printf '\xEF\xBB\xBF  e2e user\t\r\nsecond line\r\n' >"$work/app/config.pl"
start_service "$storage"
(cd "$work/cwd" && exec wine "$app") &
program_job=$!
check "program started" wait_until 30 driver exists TForm3
sleep 1

balloons() { python3 "$top/tests/e2e/balloons.py" "$work/explorer.log"; }
balloon_shown() { balloons | grep -qxF "$1"; }
stored() { find "$storage" -maxdepth 1 -name '*.jpg' | sort; }
new_pictures() { comm -13 <(echo "$before") <(stored); }
cwd_empty() { [ -z "$(ls "$work/cwd")" ]; }
grab() {  # grab X1 Y1 X2 Y2
  driver alt-s
  driver wait-shown TForm3 10 || return 1
  driver drag "$@"
  driver wait-hidden TForm3 10
}
clipboard_is_link() { driver clipboard | grep -qE "^http://$PSL_TEST_SERVICE_HOST/pic/[^ ]+\.jpg$"; }

start=$(date +%s.%N)
check "grab made" grab 300 200 557 391
check "the link lands on the clipboard" wait_until 15 clipboard_is_link
echo "release to link: $(awk "BEGIN { print $(date +%s.%N) - $start }") s (including the driver's drag)"
link=$(driver clipboard)
echo "link: $link"
file=$(stored | head -n1)
check "the service stored one picture" test "$(stored | grep -c .)" = 1
check "the stored picture is that part of the screen" python3 "$checker" "$file" 300 200 257 191
check "the login from config.pl reached the service, mark and blanks kept" \
  test "$(od -An -tx1 "$file.login")" = "$(printf '\xEF\xBB\xBF  e2e user\t' | od -An -tx1)"
check "the link serves the stored picture" cmp -s <(curl -s "$link") "$file"
check "the picture file is gone from the current directory" test -z "$(ls "$work/cwd")"
check "success balloon with its title and info icon" \
  wait_until 10 balloon_shown "Уведомление | Скриншот удачно загружен, ссылка в буфере обмена | icon 1"
sleep 2
import -window root "$artifacts/upload_success_balloon.png"

# Esc leaves the veil with nothing sent or said; the next capture (below) gives its link.
before="$(stored | grep -c .)$(balloons | grep -c .)"
driver alt-s && driver wait-shown TForm3 10 && driver keys $VK_ESCAPE
check "Esc leaves the veil" driver wait-hidden TForm3 5
sleep 3
check "and nothing is written, sent or told" test "$(stored | grep -c .)$(ls "$work/cwd")$(balloons | grep -c .)" = "$before"

# Another program (a clipboard manager, a remote desktop) holds the clipboard
# open across the moment the link arrives: the link gets there once it lets
# go, and the success balloon says so then. Held past the worker's patience,
# the balloon shows the link instead.
hold_log="$work/hold.log"
hold_clipboard() {  # hold_clipboard SECONDS: in the background, back once held
  : >"$hold_log"
  wine "$build/tests/e2e/psl_driver.exe" hold-clipboard "$1" >"$hold_log" 2>/dev/null &
  wait_until 10 grep -q held "$hold_log"
}
released() { grep -q released "$hold_log"; }
stored_more_than() { [ "$(stored | grep -c .)" -gt "$1" ]; }
success_text="Уведомление | Скриншот удачно загружен, ссылка в буфере обмена | icon 1"
successes() { balloons | grep -cxF "$success_text"; }
link_is_newest() { [ "$(driver clipboard)" = "http://$PSL_TEST_SERVICE_HOST/pic/$(basename "$(ls -t "$storage"/*.jpg | head -n1)")" ]; }
count=$(stored | grep -c .)
shown=$(successes)
check "the clipboard held by another program" hold_clipboard 3
grab 300 200 557 391
check "held clipboard: the service has the picture while the clipboard is still held" \
  wait_until 10 stored_more_than "$count"
check "held clipboard: still held then" test ! "$(grep -c released "$hold_log")" -gt 0
check "held clipboard: no success balloon while it is held" test "$(successes)" = "$shown"
check "held clipboard: the link lands once it is let go" wait_until 10 link_is_newest
more_successes() { [ "$(successes)" -gt "$1" ]; }
check "held clipboard: and then the success balloon" wait_until 10 more_successes "$shown"

# The trace cuts the balloon's long text; the tooltip window has it whole.
not_copied_title() {
  balloons | grep -qE "^Ссылка не скопирована \| Скриншот загружен, но буфер обмена занят .* \| icon 2$"
}
link_in_balloon() {
  driver tips | grep -qxF "Скриншот загружен, но буфер обмена занят другой программой. Ссылка: http://$PSL_TEST_SERVICE_HOST/pic/$(basename "$(ls -t "$storage"/*.jpg | head -n1)")"
}
previous_link=$(driver clipboard)
check "the clipboard held for longer" hold_clipboard 9
grab 300 200 557 391
check "held past the patience: a warning balloon" wait_until 15 not_copied_title
check "held past the patience: it shows the link of the picture stored" wait_until 5 link_in_balloon
wait_until 10 released
check "held past the patience: the clipboard as it was" test "$(driver clipboard)" = "$previous_link"

# A service that takes nothing bigger than 100 bytes answers "max size".
stop_service
start_service "$storage" 100
grab 300 200 557 391
check "\"max size\" gives its balloon" wait_until 15 balloon_shown "Ошибка | Слишком большой скриншот | icon 3"
check "and the file is deleted" wait_until 5 cwd_empty

# No service: each capture's balloon says that its picture is kept and will be
# sent later, the picture moves into the folder of waiting pictures, and the
# tooltip counts them. The service back, the first retry sends them oldest
# first, each with a balloon that shows its link (the service answers slowly,
# so that Wine's tray, which shows a balloon 2 s after its request, shows each).
stop_service
waiting="$WINEPREFIX/drive_c/users/$(whoami)/Pictures/Pondix Shot/Waiting"
kept_text="Ошибка | Скриншот не загружен: сервис недоступен. Он сохранён в папке «Изобр... | icon 3"
kept_more_than() { [ "$(balloons | grep -cxF "$kept_text")" -gt "$1" ]; }
areas=("300 200 557 391" "420 250 700 480" "200 300 380 420")
before=$(stored)
for i in 0 1 2; do
  grab ${areas[$i]}
  check "a stopped service: capture $((i + 1)) is kept, its balloon says so" wait_until 15 kept_more_than $i
done
check "three pictures wait in the folder" test "$(ls "$waiting" | grep -c '\.jpg$')" = 3
check "and none elsewhere" test -z "$(find "$work/cwd" "$work/app" "$WINEPREFIX/drive_c/users" -name '*.jpg' ! -path "$waiting/*")"
tip_shown() { driver tips | grep -qxF "$1"; }
check "the tooltip counts them" wait_until 5 tip_shown "$tip: 3 скриншота ждут отправки"
echo "/pic/upload.php 3" >"$storage/delays.txt"
start_service "$storage"
check "the service back: all three arrive at the first retry" wait_until 60 stored_more_than $(($(echo "$before" | grep -c .) + 2))
late=$(ls -tr $(new_pictures))
i=0
for f in $late; do
  read -r x1 y1 x2 y2 <<<"${areas[$i]}" && i=$((i + 1))
  check "late picture $i is capture $i: oldest first" python3 "$checker" "$f" $x1 $y1 $((x2 - x1)) $((y2 - y1))
  check "late picture $i: a balloon with its link" wait_until 10 balloon_shown \
    "Уведомление | Отложенный скриншот загружен, ссылка в буфере обмена: http://$PSL_TEST_SERVICE_HOST/pic/$(basename "$f") | icon 1"
done
clipboard_holds() { [ "$(driver clipboard)" = "$1" ]; }
check "the last one's link on the clipboard" clipboard_holds "http://$PSL_TEST_SERVICE_HOST/pic/$(basename "$(echo "$late" | tail -n1)")"
check "nothing waits" test -z "$(ls "$waiting")"
check "the tooltip is the program's name again" wait_until 5 tip_shown "$tip"
rm -f "$storage/delays.txt"

# Another program copies a text while the picture waits: the late link leaves it
# there, and a click on the balloon puts the link there. Wine's tray sends no
# click on a balloon: the driver posts the icon's NIN_BALLOONUSERCLICK instead.
stop_service
grab 300 200 557 391
check "a stopped service once more: kept" wait_until 15 kept_more_than 3
driver set-clipboard "copied meanwhile"
before=$(stored)
start_service "$storage"
one_new() { [ "$(new_pictures | grep -c .)" = 1 ]; }
check "the service back: the picture arrives" wait_until 45 one_new
link="http://$PSL_TEST_SERVICE_HOST/pic/$(basename "$(new_pictures)")"
offered() { driver tips | grep -qxF "Отложенный скриншот загружен. Щёлкните здесь, чтобы скопировать ссылку: $link"; }
check "the balloon offers its link" wait_until 10 offered
check "the other program's text stays on the clipboard" clipboard_holds "copied meanwhile"
driver post pondixscreenloader.exe TPUtilWindow 0x800 1 0x405 >/dev/null
check "a click on the balloon puts the link there" wait_until 5 clipboard_holds "$link"

# A current directory that holds pictures under half of all the names the
# program draws (its earlier failed uploads, or the user's own): captures
# take other names and change none of them.
python3 - "$work/cwd" <<'PY'
import os, sys
for n in range(0, 100000, 2):
    with open(os.path.join(sys.argv[1], f"{n}.jpg"), "w") as f:
        f.write(f"picture {n}")
PY
count=$(stored | grep -c .)
for i in 1 2 3 4 5 6; do grab $((250 + i * 10)) 200 557 391; done
check "among taken names: every capture arrives" wait_until 20 stored_more_than $((count + 5))
unchanged() {
  python3 - "$work/cwd" <<'PY'
import os, sys
d = sys.argv[1]
names = set(os.listdir(d))
want = {f"{n}.jpg" for n in range(0, 100000, 2)}
bad = [n for n in want if n not in names or open(os.path.join(d, n)).read() != f"picture {n[:-4]}"]
sys.exit(1 if bad or names != want else 0)
PY
}
check "among taken names: every file there is unchanged, and nothing else is left" wait_until 10 unchanged
rm -rf "$work/cwd" && mkdir -p "$work/cwd"

# Two captures in quick succession: each arrives once, with its own pixels.
before=$(stored)
grab 300 200 557 391
grab 700 250 420 480
two_new() { [ "$(new_pictures | grep -c .)" = 2 ]; }
check "two quick captures both arrive" wait_until 15 two_new
read -r first second <<<"$(new_pictures | tr '\n' ' ')"
own_pixels() {  # either way round: one is the first area, the other the second
  { python3 "$checker" "$1" 300 200 257 191 && python3 "$checker" "$2" 420 250 280 230; } >/dev/null ||
    { python3 "$checker" "$2" 300 200 257 191 && python3 "$checker" "$1" 420 250 280 230; } >/dev/null
}
check "each with its own pixels" own_pixels "$first" "$second"
check "and both files are gone" wait_until 5 cwd_empty

# An exit while an upload waits on a slow service: the program ends at once
# and cleanly, its late reply goes nowhere, and the picture stays on disk.
echo "/pic/upload.php 4" >"$storage/delays.txt"
grab 300 200 557 391
sleep 1
pid=$(program_pid)
driver close TForm1
check "exit during an upload: the program ends at once" wait_until 3 bash -c "! kill -0 $pid 2>/dev/null"
wait "$program_job"
check "exit during an upload: exit code 0" test $? = 0
sleep 4
check "exit during an upload: the picture stays" test "$(ls "$work/cwd" | grep -c '\.jpg$')" = 1
rm -f "$storage/delays.txt"

# Started at logon, the program runs in the system folder, which it cannot
# write: the pictures go beside the program, and where that cannot be written
# either, into the temporary folder; no message, the link all the same.
start_in() {  # start_in DIR: the program, its current directory DIR
  (cd "$1" && exec wine "$app") &
  program_job=$!
  wait_until 30 driver exists TForm3 && sleep 1
}
end_program() {
  driver close TForm1 >/dev/null
  wait "$program_job"
}
no_box() { ! driver message-box pondixscreenloader.exe 3 >/dev/null; }
link_changed() { [ "$(driver clipboard)" != "$1" ] && clipboard_is_link; }
if read_only "$work/system"; then
  for folder in "beside the program" "temporary folder" "beside the program, 1251" "temporary folder, 1251"; do
    [ "$folder" = "beside the program, 1251" ] && export LC_ALL=ru_RU.UTF-8 && umount -l "$work/app"
    [ "${folder%, 1251}" = "temporary folder" ] && read_only --bind "$work/app"
    start_in "$work/system"
    previous_link=$(driver clipboard)
    grab 300 200 557 391
    check "unwritable current directory, picture $folder: the link" wait_until 15 link_changed "$previous_link"
    check "unwritable current directory, picture $folder: no message" no_box
    check "unwritable current directory, picture $folder: nothing left behind" \
      test -z "$(find "$work/system" "$work/app" "$work/temp" -name '*.jpg')"
    end_program
  done
  umount "$work/app" "$work/system"
else
  echo "note: no mount namespace of this run's own; the unwritable current directory is not tried"
fi

# The program ends while a picture waits: the next start sends it once its
# version request has reached the service. One that the service refuses then
# is set aside, neither deleted nor tried again.
refusal="Сервис не принял отложенный скриншот («Слишком большой скриншот»), больше он отправляться не будет. Файл лежит здесь: C:\\users\\$(whoami)\\Pictures\\Pondix Shot\\Refused\\"
refusal_shown() { driver tips | grep -qF "$refusal"; }
set_aside() { [ "$(ls "$(dirname "$waiting")/Refused" 2>/dev/null | grep -c '\.jpg$')" = 1 ]; }
for verdict in refused accepted; do
  start_in "$work/cwd"
  stop_service
  kept=$(balloons | grep -cxF "$kept_text")
  grab 300 200 557 391
  wait_until 15 kept_more_than "$kept"
  end_program
  before=$(stored)
  start_service "$storage" $([ $verdict = refused ] && echo 100)
  start_in "$work/cwd"
  if [ $verdict = accepted ]; then
    check "a picture of an earlier run arrives at the next start" wait_until 15 one_new
  else
    check "refused when sent again: set aside, not deleted" wait_until 15 set_aside
    check "refused when sent again: its balloon says where it lies" wait_until 10 refusal_shown
  fi
  check "$verdict at the next start: nothing waits" test -z "$(ls "$waiting")"
  end_program
done

# The console tool on the same service: a Cyrillic login typed on its command
# line arrives as UTF-8, whatever the ANSI code page; one from a login file
# arrives as the program sends it from "config.pl", bytes as they are.
psl_login() {  # psl_login ARGS...: the login stored for the tool's upload
  local link
  link=$(cd "$work/cwd" && wine "$build/tools/psl/psl.exe" upload shot.jpg "$@" | tr -d '\r') || return 1
  cat "$storage/${link##*/}.login"
}
cp "$first" "$work/cwd/shot.jpg"
check "psl: a Cyrillic --login arrives as UTF-8" test "$(psl_login --login "Вася Пупкин" | od -An -tx1)" = \
  "$(printf 'Вася Пупкин' | od -An -tx1)"
printf '\xC2\xE0\xF1\xFF\r\nsecond line\r\n' >"$work/cwd/login.pl"
check "psl: --login-file sends the first line's bytes" test "$(psl_login --login-file login.pl | od -An -tx1)" = \
  "$(printf '\xC2\xE0\xF1\xFF' | od -An -tx1)"
finish
