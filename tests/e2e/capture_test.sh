#!/usr/bin/env bash
# A capture as the user makes it, with a compositor: Alt+S shows the veil over
# the primary screen, a drag over a window with a known picture writes a JPEG
# of exactly that part into the program's current directory, and the veil is
# gone again. Also: an empty selection, a current directory that is gone, and
# nowhere to write at all.
source "$(dirname "$0")/lib.sh"
exe=pondixscreenloader.exe
checker="$top/tests/e2e/check_picture.py"
new_work capture
cwd="$work/cwd"
mkdir -p "$cwd"
app=$(private_copy "$work/app")

# Each grab starts an upload; one that ended would take the picture away before
# it is checked (deleted, or kept to send again), so the service answers late.
mkdir -p "$work/service"
echo "/pic/upload.php 503" >"$work/service/statuses.txt"
echo "/pic/upload.php 30" >"$work/service/delays.txt"
start_service "$work/service"

# The picture first: with no window manager, a window mapped later stays above.
wine "$build/tests/e2e/psl_pattern.exe" 160 120 1000 700 &
check "pattern window shown" driver wait-shown PslPatternWindow 30
(cd "$cwd" && exec wine "$app") &
check "program started with its overlay hidden" wait_until 30 driver exists TForm3
sleep 1

pictures() { find "$cwd" -maxdepth 1 -name '*.jpg' -newer "$cwd/.mark" -printf '%f\n'; }
show_overlay() {
  driver alt-s
  driver wait-shown TForm3 10
}
# capture WHAT X1 Y1 X2 Y2 LEFT TOP WIDTH HEIGHT [BUTTON]
capture() {
  local what=$1 x1=$2 y1=$3 x2=$4 y2=$5 button=${10:-left}
  shift 5
  touch "$cwd/.mark"
  sleep 1.1  # file times have one-second steps on some file systems
  check "$what: overlay shown" show_overlay
  driver press "$x1" "$y1" "$button"
  driver move "$x1" "$y1" "$x2" "$y2"
  driver release "$x2" "$y2" "$button"
  check "$what: overlay hidden after the grab" driver wait-hidden TForm3 10
  local files
  files=$(pictures)
  check "$what: one picture written" test "$(echo "$files" | grep -c .)" = 1
  check "$what: named 0.jpg .. 99999.jpg" bash -c "echo '$files' | grep -qxE '(0|[1-9][0-9]{0,4})\.jpg'"
  check "$what: that part of the screen, without the veil" python3 "$checker" "$cwd/$files" "$1" "$2" "$3" "$4"
}

import -window root "$work/before.png"
show_overlay
layered=$(driver layered TForm3)
echo "overlay: $layered"
check "overlay covers the primary screen" grep -q "visible=1 rect=0,0,1280,800 " <<<"$layered"
check "overlay layered at alpha 150" grep -q "layered=1 alpha=150 flags=2" <<<"$layered"
sleep 0.3
import -window root "$work/shown.png"
cp "$work/shown.png" "$artifacts/capture_overlay_shown.png"
# The caption in black at (8, 8). Over the pattern, the screen before and
# after give back one colour, the veil's, when blended at 150 of 255.
check "caption and translucent veil on screen" python3 - "$work/before.png" "$work/shown.png" <<'PY'
import subprocess, sys
def pixels(shot, x, y, w, h, space="rgb"):
    out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", f"{space}:-"],
                         capture_output=True, check=True).stdout
    return list(out)
label = pixels(sys.argv[2], 8, 8, 234, 24, "gray")
before = pixels(sys.argv[1], 400, 300, 64, 64)
after = pixels(sys.argv[2], 400, 300, 64, 64)
veil = [(255 * a - 105 * b) / 150 for a, b in zip(after, before)]
dark = sum(v < 60 for v in label)
print(f"dark caption pixels {dark}, veil worked out from the blend {min(veil):.1f} .. {max(veil):.1f}")
sys.exit(0 if dark > 150 and max(veil) - min(veil) <= 6 and min(before) != max(before) else 1)
PY
# A release that ends no press made on this showing grabs nothing.
touch "$cwd/.mark"
driver release 500 400
sleep 1
check "stray release leaves the overlay shown" driver wait-shown TForm3 1
check "stray release writes nothing" test -z "$(pictures)"
# No key but Esc (the upload test's) cancels a capture.
driver keys 0x0D 0x20
sleep 0.5
check "keys leave the overlay shown" driver wait-shown TForm3 1
driver drag 300 200 300 200 >/dev/null  # press and release in place: no picture, overlay gone
driver wait-hidden TForm3 10

capture "down right" 300 200 557 391 300 200 257 191
capture "up left" 557 391 300 200 300 200 257 191
capture "down left" 700 250 420 480 420 250 280 230
capture "up right" 420 480 700 250 420 250 280 230
# Any button selects as the left one does.
capture "right button" 610 330 880 520 610 330 270 190 right
capture "middle button" 880 520 610 330 610 330 270 190 middle

# Zero width: no file, and the overlay goes as after any grab.
touch "$cwd/.mark"
sleep 1.1
show_overlay
driver drag 400 200 400 500
check "zero width: overlay hidden" driver wait-hidden TForm3 10
f=$(pictures)
check "zero width: no file" test -z "$f"

# A frame half drawn, kept for a look.
show_overlay
driver press 300 200
driver move 300 200 640 460
sleep 0.3
import -window root "$artifacts/capture_frame_half_drawn.png"
driver release 640 460
driver wait-hidden TForm3 10

# The current directory taken away: the picture goes beside the program,
# without a word, and the overlay goes as after any grab.
rm -rf "$cwd"
app_pictures() { find "$work/app" -maxdepth 1 -name '*.jpg' -printf '%f\n'; }
show_overlay
driver drag 350 250 600 420
check "no current directory: overlay hidden" driver wait-hidden TForm3 10
no_box() { ! driver message-box "$exe" 0 >/dev/null; }
check "no current directory: no message" no_box
f=$(app_pictures)
check "no current directory: the picture beside the program" test "$(echo "$f" | grep -c .)" = 1
check "no current directory: that part of the screen" python3 "$checker" "$work/app/$f" 350 250 250 170
rm -f "$work/app/$f"

# Nowhere to write at all (beside the program and the temporary folder read
# only too): the standard error box, and the overlay is gone all the same:
# no lifted veil stays over the screen taking every click.
temp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
if read_only --bind "$work/app" && read_only --bind "$temp"; then
  show_overlay
  driver drag 350 250 600 420
  box=$(driver message-box "$exe" 15)
  echo "error box: $box"
  check "nowhere to write: error box with the failure" grep -q '^Cannot create file ".*[0-9]\.jpg"\. .*\.$' <<<"$box"
  check "nowhere to write: error box captioned with the application title" \
    test "$(head -n1 <<<"$box")" = Pondixscreenloader
  check "nowhere to write: overlay hidden behind the box" grep -q "visible=0 " <<<"$(driver layered TForm3)"
  import -window root "$artifacts/capture_error_box.png"
  for spot in "100 600" "900 150" "1200 700"; do
    read -r x y <<<"$spot"
    driver drag "$x" "$y" $((x + 40)) $((y + 30)) >/dev/null
  done
  sleep 1
  check "nowhere to write: clicks on the screen give no second box" test "$(driver box-count "$exe")" = 1
  driver box-ok "$exe"
  check "nowhere to write: error box closed" wait_until 10 no_box
  umount "$work/app" "$temp"
else
  echo "note: no mount namespace of this run's own; a grab with nowhere to write is not tried"
fi
mkdir -p "$cwd"
touch "$cwd/.mark"
sleep 1.1
show_overlay
driver drag 350 250 600 420
check "next grab: overlay hidden" driver wait-hidden TForm3 10
f=$(pictures)
check "next grab: the picture written" test "$(echo "$f" | grep -c .)" = 1
check "next grab: without the veil" python3 "$checker" "$cwd/$f" 350 250 250 170
check "next grab: veil back at 150" grep -q "alpha=150 " <<<"$(driver layered TForm3)"

check "program still running" test -n "$(program_pid)"
finish
