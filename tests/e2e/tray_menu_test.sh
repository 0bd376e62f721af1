#!/usr/bin/env bash
# The tray menu and the hotkey as a user meets them: a right-button press on the
# icon opens the menu at the cursor, keyboard choices run the items, page items
# open their addresses in the default browser, Alt+S shows the overlay, and
# "Выход" ends the program at once, freeing Alt+S. Left and middle clicks do nothing.
source "$(dirname "$0")/lib.sh"

browser_log="$artifacts/browser.log"
record_browser "$browser_log"

new_work tray-menu
private_copy "$work/app" >/dev/null
start_service "$work/service"
cd "$work/app"
# Wine's menu trace names each item as it draws it: the menu as the user sees it.
WINEDEBUG=-all,+menu wine PondixScreenLoader.exe 2>"$work/menu.log" &
check "icon in the tray" driver wait-tip "$tip" 30
sleep 1

menu_open() { driver visible '#32768' >/dev/null; }
overlay_shown() { driver visible TForm3 >/dev/null; }
open_menu() {
  driver click $icon_x $icon_y right
  wait_until 5 menu_open
}
choose() {  # choose KEY... : open the menu and press the keys
  open_menu || return 1
  driver keys "$@"
  wait_until 5 not_visible '#32768'
}

driver click $icon_x $icon_y left
sleep 1
check "a left click opens no menu" not_visible '#32768'
driver click $icon_x $icon_y middle
sleep 1
check "a middle click opens no menu" not_visible '#32768'
check "and no overlay" not_visible TForm3

# Any program may post to the program's hidden windows. Tray callbacks (a
# right-button press) and timer messages whose ids no component holds do
# nothing; on 64 bits one id is the icon's own with a high bit set.
pid=$(program_pid)
ids=(0 7 0x12345678 0xffffffff)
[ "$WINEARCH" = win64 ] && ids+=(0x100000001 0xfedcba9876543210)
posts=0
for id in "${ids[@]}"; do
  posts=$((posts + $(driver post pondixscreenloader.exe TPUtilWindow 0x800 "$id" 0x204)))
  posts=$((posts + $(driver post pondixscreenloader.exe TPUtilWindow 0x113 "$id" 0)))
done
echo "posted $posts stranger messages"
sleep 1
check "stranger messages reached the hidden windows" test "$posts" -ge $((2 * ${#ids[@]}))
check "the program lives on after them" kill -0 "$pid"
check "and opens no menu" not_visible '#32768'

check "a right-button press opens the menu" open_menu
read -r left menu_top right bottom <<<"$(driver visible '#32768')"
echo "menu at $left,$menu_top-$right,$bottom"
import -window root "$artifacts/tray_menu.png"
# The system fits the menu into the work area, which ends at the taskbar's top
# edge: the menu stands on that edge, over the cursor.
at_cursor() {
  [ "$left" -le $icon_x ] && [ $icon_x -le "$right" ] && [ "$bottom" -le $icon_y ] && [ $((icon_y - bottom)) -le 20 ]
}
check "the menu opens at the cursor" at_cursor
# drawn FROM [SKIP]: the captions of the items drawn since line FROM of the
# log, in order of first drawing, without those in the "|" list SKIP.
drawn() {
  tail -n +"$1" "$work/menu.log" | python3 -c '
import re, sys
skip = sys.argv[1].split("|") if len(sys.argv) > 1 else []
seen = []
for line in sys.stdin:
    m = re.search(r"draw_menu_item \{ ID=\w+, (?:Sub=\w+, )?(?:fType=\w+, )?Text=L\"(.*)\"", line)
    if m:
        text = re.sub(r"\\([0-9a-f]{4})", lambda d: chr(int(d.group(1), 16)), m.group(1))
        if text not in seen and text not in skip:
            seen.append(text)
print("|".join(seen))' "${2:-}"
}
top_items="Сделать скриншот Alt+S |Перейти в |О программе|$PSL_TEST_COMPANY_SITE|Выход"
top_shown() { [ "$(drawn 1)" = "$top_items" ]; }
check "the menu shows its items in order, the hidden one left out" wait_until 5 top_shown
from=$(($(wc -l <"$work/menu.log") + 1))
driver keys $VK_DOWN $VK_DOWN $VK_RIGHT
pages_shown() { [ "$(drawn "$from" "$top_items")" = "Кабинет Pondix|Историю скриншотов|Заказ рекламы|Лотерею" ]; }
check "\"Перейти в \" shows the four pages" wait_until 5 pages_shown
driver keys $VK_ESCAPE $VK_ESCAPE
sleep 1

# The pages: "Перейти в " (second item) holds four, then "О программе" and the company site.
choose $VK_DOWN $VK_DOWN $VK_RIGHT $VK_RETURN
choose $VK_DOWN $VK_DOWN $VK_RIGHT $VK_DOWN $VK_RETURN
choose $VK_DOWN $VK_DOWN $VK_RIGHT $VK_DOWN $VK_DOWN $VK_RETURN
choose $VK_DOWN $VK_DOWN $VK_RIGHT $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
choose $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
choose $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
expected="http://$PSL_TEST_SERVICE_HOST/cab/
http://$PSL_TEST_SERVICE_HOST/pic/
http://$PSL_TEST_SERVICE_HOST/ad/
http://$PSL_TEST_SERVICE_HOST/lottery/
http://$PSL_TEST_SERVICE_HOST/PSL.php
http://$PSL_TEST_COMPANY_SITE/"
wait_until 10 bash -c "[ \$(wc -l <'$browser_log') -ge 6 ]"
check "each page item opens its address" test "$(cat "$browser_log")" = "$expected"
[ "$(cat "$browser_log")" = "$expected" ] || cat "$browser_log"

choose $VK_DOWN $VK_RETURN
check "the first item shows the overlay" wait_until 5 overlay_shown
driver close TForm3
check "the overlay hides on close" wait_until 5 not_visible TForm3

driver alt-s
check "Alt+S in the tray shows the overlay" wait_until 5 overlay_shown
driver alt-s
sleep 1
check "Alt+S again leaves it shown" overlay_shown
driver close TForm3
sleep 1

pid=$(program_pid)
choose $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_DOWN $VK_RETURN
check "\"Выход\" ends the process" wait_until 10 bash -c "! kill -0 $pid 2>/dev/null"
check "Alt+S is free for another program" driver hotkey-free
sleep 2
check "the icon is removed" wait_until 10 icon_gone "$tip"
finish
