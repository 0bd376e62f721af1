#!/usr/bin/env bash
# The main job over HTTPS: the program built for https://127.0.0.1:PORT (the
# build's https twin, build/https), nginx terminating TLS in front of the
# reference service with a certificate of the test authority, which the run's
# own mount namespace adds to the system's bundle. Alt+S and a drag put the
# link on the clipboard, and what reached the service from inside TLS is
# byte for byte what a plain upload of that picture sends (the multipart
# boundary, made from the clock, aside); the download address offered at
# start-up is an https one as well. A start-up against a certificate
# the system does not trust shows the server-unavailable message and ends.
# Wine is told to prefer libraries beside the program: none planted there may load.
source "$(dirname "$0")/lib.sh"
if [ -z "${PSL_WINE_NETNS:-}" ]; then
  echo "note: no mount namespace of this run's own, so the test authority cannot be trusted; nothing tried"
  finish
  exit
fi
new_work https
storage="$work/pictures"
mkdir -p "$work/cwd" "$work/tls" "$work/plain" "$work/replay"
bash "$top/scripts/test-ca.sh" "$work/ca" || exit 1
mount --bind "$work/ca/bundle.crt" /etc/ssl/certs/ca-certificates.crt || exit 1

source "$top/scripts/processes.sh"
relay_pid=""
start_relay() {  # start_relay LISTEN_PORT TARGET_PORT OUTDIR
  /usr/bin/python3 -u "$top/tests/e2e/record_relay.py" "$@" >"$work/relay.log" 2>&1 &
  relay_pid=$!
  wait_until 10 grep -q ready "$work/relay.log"
}
stop_relay() {
  [ -n "$relay_pid" ] && kill "$relay_pid" 2>/dev/null && wait "$relay_pid" 2>/dev/null
  relay_pid=""
}

# The service behind nginx, with a relay between them that keeps each request.
php_port=$(psl_free_port)
PSL_LINK_SCHEME=https bash "$top/scripts/service.sh" start "$php_port" "$storage" || exit 1
service_storage=$storage
relay_port=$(psl_free_port)
check "relay started" start_relay "$relay_port" "$php_port" "$work/tls"
bash "$top/scripts/tls-front.sh" start "$work/front" "$PSL_TEST_SERVICE_PORT" "$relay_port" \
  "$work/ca/good.pem" "$work/ca/server.key" || exit 1

wine "$build/tests/e2e/psl_pattern.exe" 160 120 1000 700 &
check "pattern window shown" driver wait-shown PslPatternWindow 30
app="$work/app/PondixScreenLoader.exe"
mkdir -p "$work/app"
cp "$build/https/PondixScreenLoader.exe" "$app"
for name in secur32 crypt32 ws2_32 comctl32 dwmapi; do cp "$build/tests/e2e/planted_library.dll" "$work/app/$name.dll"; done
printf 'tls user\r\n' >"$work/app/config.pl"
# A newer version at the service: the download address opened is an https one too.
printf '1.0\r\n' >"$work/app/ver"
printf '2.0' >"$storage/ver.txt"
record_browser "$work/browser.log"
(cd "$work/cwd" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;secur32,crypt32,ws2_32,comctl32,dwmapi=n,b" exec wine "$app") &
program_job=$!
box() { [ "$(driver message-box pondixscreenloader.exe 20)" = "$title"$'\n'"$1" ]; }
check "the version asked over HTTPS: the request to update" box "Обновите версию!Сейчас программа откроет браузер."
check "its version request went inside TLS" test "$(head -c 22 "$work/tls/1.request")" = "GET /ver.txt HTTP/1.1"$'\r'
driver keys 0x0D
check "the download address is an https one" wait_until 10 test -s "$work/browser.log"
check "exactly the download address" \
  test "$(cat "$work/browser.log")" = "https://$PSL_TEST_SERVICE_HOST/PondixScreenLoader.exe"
check "program running" wait_until 30 driver exists TForm3
sleep 1

link_pattern="^https://127\.0\.0\.1:$PSL_TEST_SERVICE_PORT/pic/[0-9a-f]+\.jpg$"
clipboard_is_link() { driver clipboard | grep -qE "$link_pattern"; }
driver alt-s
driver wait-shown TForm3 10
driver drag 300 200 557 391
check "the link lands on the clipboard" wait_until 20 clipboard_is_link
link=$(driver clipboard)
echo "link: $link"
stored="$storage/${link##*/}"
check "the service stored the picture" test -s "$stored"
check "the link serves it over HTTPS" cmp -s <(curl -s --cacert "$work/ca/ca.pem" "$link") "$stored"
check "the picture file is gone from the current directory" test -z "$(ls "$work/cwd")"
check "no library beside the program was loaded" test -z "$(ls "$work/app" | grep loaded)"
driver close TForm1 >/dev/null
wait "$program_job"

# The same picture, name and login sent in plain by psl, which makes the
# program's upload exchange, to the same port: what arrives must be the same.
bash "$top/scripts/tls-front.sh" stop "$work/front"
stop_relay
check "plain relay started" start_relay "$PSL_TEST_SERVICE_PORT" "$php_port" "$work/plain"
name=$(cat "$stored.filename")
cp "$stored" "$work/replay/$name"
cp "$work/app/config.pl" "$work/replay/"
(cd "$work/replay" && wine "$build/tools/psl/psl.exe" upload "$name" --login-file config.pl \
  --host "127.0.0.1:$PSL_TEST_SERVICE_PORT" >/dev/null 2>&1)
stop_relay
same_bytes() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import re, sys
a, b = (re.sub(rb"--------\d{15}", b"BOUNDARY", open(p, "rb").read()) for p in sys.argv[1:3])
print(f"upload over HTTPS {len(a)} bytes, plain {len(b)} bytes; boundaries {'differ' if open(sys.argv[1],'rb').read() != open(sys.argv[2],'rb').read() else 'agree'}")
sys.exit(0 if a == b and b.startswith(b"POST /pic/upload.php HTTP/1.0\r\n") else 1)
PY
}
tls_upload=$(grep -l "^POST /pic/upload.php" "$work"/tls/*.request | head -n1)
check "the request inside TLS is the plain upload's, byte for byte" same_bytes "$tls_upload" "$work/plain/1.request"

# A certificate the system does not trust: the start-up cannot reach the
# service, says so, and the program ends.
bash "$top/scripts/tls-front.sh" start "$work/front" "$PSL_TEST_SERVICE_PORT" "$php_port" \
  "$work/ca/unknown-ca.pem" "$work/ca/server.key" || exit 1
(cd "$work/cwd" && exec wine "$app") &
program_job=$!
check "untrusted certificate: the server-unavailable message" box "$unavailable_text"
driver keys $VK_ESCAPE
ended() { ! kill -0 "$program_job" 2>/dev/null; }
check "untrusted certificate: the program ends" wait_until 15 ended
bash "$top/scripts/tls-front.sh" stop "$work/front"
umount /etc/ssl/certs/ca-certificates.crt
finish
