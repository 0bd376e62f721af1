#!/usr/bin/env bash
# The main job for a name that only the test's squid resolves (build/named,
# build/named-https): the proxy in the Internet settings, or a script's
# address; Basic sign-in from Credential Manager; then, by this run's own
# /etc/hosts, the name with only ::1, and with a first address that never answers.
source "$(dirname "$0")/lib.sh"
if [ -z "${PSL_WINE_NETNS:-}" ]; then
  echo "note: no namespaces of this run's own: no hosts file or test authority of its own; nothing tried"
  finish
  exit
fi
new_work network
chmod 711 "$work"  # squid runs as its own user, with its files in here
storage="$work/pictures"
mkdir -p "$work/cwd" "$work/pac"
name="$PSL_TEST_NAMED_HOST:$PSL_TEST_SERVICE_PORT"
# The test authority joins the system's bundle before any Wine process starts.
bash "$top/scripts/test-ca.sh" "$work/ca" || exit 1
mount --bind "$work/ca/bundle.crt" /etc/ssl/certs/ca-certificates.crt || exit 1
WINEDEBUG=-all,+tooltips wine explorer.exe /desktop >/dev/null 2>"$work/explorer.log" &
sleep 2
printf '7.7' >"$work/ver.txt"

# squid resolves the name from a hosts file of its own; Wine cannot at all.
printf '127.0.0.1 %s\n' "$PSL_TEST_NAMED_HOST" >"$work/squid-hosts"
squid_port=$(psl_free_port)
signin_port=$(psl_free_port)
bash "$top/scripts/squid.sh" start "$work/squid" "$squid_port" --hosts "$work/squid-hosts" || exit 1
bash "$top/scripts/squid.sh" start "$work/signin" "$signin_port" --hosts "$work/squid-hosts" \
  --basic office.user 'pass:word' || exit 1

le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
settings_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
internet_settings() {  # internet_settings FLAGS PROXY BYPASS SCRIPT (flags: 1 direct, 2 proxy, 4 script, 8 detect)
  local blob
  blob="$(le32 0x46)$(le32 0)$(le32 "$1")$(le32 ${#2})$(hex "$2")$(le32 ${#3})$(hex "$3")$(le32 ${#4})$(hex "$4")"
  blob+=$(printf '0%.0s' $(seq 64))
  wine reg add "$settings_key\\Connections" /v DefaultConnectionSettings /t REG_BINARY /d "$blob" /f >/dev/null 2>&1
  wine reg add "$settings_key" /v ProxyEnable /t REG_DWORD /d $((($1 & 2) / 2)) /f >/dev/null 2>&1
  reg_text ProxyServer "$2" && reg_text ProxyOverride "$3" && reg_text AutoConfigURL "$4"
}
reg_text() {  # reg_text NAME TEXT: the value, or none when TEXT is empty
  wine reg delete "$settings_key" /v "$1" /f >/dev/null 2>&1
  [ -z "$2" ] || wine reg add "$settings_key" /v "$1" /d "$2" /f >/dev/null 2>&1
}

balloons() { python3 "$top/tests/e2e/balloons.py" "$work/explorer.log"; }
kept="Ошибка | Скриншот не загружен: сервис недоступен. Он сохранён в папке «Изобр... | icon 3"
waiting="$WINEPREFIX/drive_c/users/$(whoami)/Pictures/Pondix Shot/Waiting"
failures_shown() { balloons | grep -cxF "$kept"; }
more_failures() { [ "$(failures_shown)" -gt "$1" ]; }
link_of() {  # a new link, of the named service
  local link
  link=$(driver clipboard)
  [ "$link" != "$(cat "$work/previous-link")" ] &&
    grep -qE "^$1://$PSL_TEST_NAMED_HOST:$PSL_TEST_SERVICE_PORT/pic/[0-9a-f]+\.jpg$" <<<"$link"
}
grab() {
  driver alt-s
  driver wait-shown TForm3 10 || return 1
  driver drag 300 200 557 391
  driver wait-hidden TForm3 10
}
# main_job WHAT TWIN SCHEME [SQUID PATTERN]: start-up (the version asked
# through the way under test reaches "ver"), Alt+S and a drag, the link on the
# clipboard, and what that squid logged meanwhile.
main_job() {
  local what=$1 app
  local marked=$(wc -l <"$work/${4:-squid}/access.log")
  app=$(psl_place_program "$build/$2/PondixScreenLoader.exe" "$work/app-$2")
  rm -f "$work/app-$2/ver"
  cp "$work/ver.txt" "$storage/ver.txt"
  (cd "$work/cwd" && exec wine "$app") &
  program_job=$!
  check "$what: the start-up asked the service's version" wait_until 30 grep -qs '^7\.7' "$work/app-$2/ver"
  wait_until 10 driver exists TForm3 && sleep 1
  driver clipboard >"$work/previous-link"
  grab
  check "$what: the link lands on the clipboard" wait_until 20 link_of "$3"
  [ -z "${5:-}" ] || check "$what: through squid" grep -q "$5" <(tail -n +$((marked + 1)) "$work/$4/access.log")
}
end_program() {
  driver close TForm1 >/dev/null
  wait "$program_job"
}

# Over HTTPS: CONNECT through squid, TLS checked against the service's name.
start_service "$storage" --tls "$work/ca/good.pem" "$work/ca/server.key"
internet_settings 3 "127.0.0.1:$squid_port" "<local>" ""
main_job "HTTPS through a proxy" named-https https squid "CONNECT $name"
end_program
stop_service

start_service "$storage"
main_job "a proxy in the Internet settings" named http squid "POST http://$name/pic/upload.php"
end_program

# The script's answer names squid first; Wine's WinHTTP evaluates it.
printf 'function FindProxyForURL(url, host) {\n  return "PROXY 127.0.0.1:%s; DIRECT";\n}\n' "$squid_port" \
  >"$work/pac/proxy.pac"
pac_port=$(psl_free_port)
(cd "$work/pac" && exec python3 -m http.server "$pac_port" --bind 127.0.0.1 >/dev/null 2>&1) &
pac_job=$!
wait_until 10 curl -sf -o /dev/null "http://127.0.0.1:$pac_port/proxy.pac"
internet_settings 5 "" "" "http://127.0.0.1:$pac_port/proxy.pac"
main_job "only a script's address" named http squid "POST http://$name/pic/upload.php"
end_program

# Basic sign-in with what the user keeps in Credential Manager for the proxy.
internet_settings 3 "127.0.0.1:$signin_port" "" ""
driver store-credential 127.0.0.1 office.user 'pass:word'
main_job "Basic sign-in" named http signin "POST http://$name/pic/upload.php office.user"
# The credentials changed meanwhile: the 407 cannot be answered.
driver store-credential 127.0.0.1 office.user wrong
shown=$(failures_shown)
grab
check "a 407 that cannot be answered: the balloon of a picture kept" wait_until 20 more_failures "$shown"
check "a 407 that cannot be answered: the picture waits" test "$(ls "$waiting" | grep -c '\.jpg$')" = 1
rm -f "$waiting"/*.jpg
end_program

# Bad settings end each exchange soon, with a failure that says what it was.
tool_fails() {  # tool_fails SECONDS TEXT: psl's upload fails, naming TEXT, within SECONDS
  local started=$SECONDS code
  (cd "$work/cwd" && exec wine "$build/tools/psl/psl.exe" upload shot.jpg --host "$name") >/dev/null 2>"$work/tool.err"
  code=$?
  echo "psl: exit $code after $((SECONDS - started)) s: $(tr -d '\r' <"$work/tool.err")"
  [ $code = 1 ] && [ $((SECONDS - started)) -le "$1" ] && grep -qF -- "$2" "$work/tool.err"
}
cp "$work/ver.txt" "$work/cwd/shot.jpg"
internet_settings 5 "" "" "http://127.0.0.1:$(psl_free_port)/none.pac"
# Direct then, where nobody knows the name.
check "a script that cannot be fetched" tool_fails 15 "ENetSocketError: Socket Error # 1100"
printf 'function FindProxyForURL(url, host) { return "PROXY ' >"$work/pac/broken.pac"
internet_settings 5 "" "" "http://127.0.0.1:$pac_port/broken.pac"
check "a script that cannot be evaluated" tool_fails 15 "ENetSocketError: Socket Error # 1100"
kill "$pac_job"
stop_service
internet_settings 1 "" "" ""

# The name with only an IPv6 address, the service listening there.
printf '::1 %s\n' "$PSL_TEST_NAMED_HOST" >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts || exit 1
PSL_SERVICE_ADDRESS=::1 start_service "$storage"
main_job "a name with only ::1" named http
end_program
stop_service

# Two addresses, the first one a listener that never accepts.
printf '::1 %s\n127.0.0.1 %s\n' "$PSL_TEST_NAMED_HOST" "$PSL_TEST_NAMED_HOST" >"$work/hosts"
/usr/bin/python3 "$top/scripts/silent-listener.py" ::1 "$PSL_TEST_SERVICE_PORT" >"$work/silent.log" 2>&1 &
silent_job=$!
wait_until 10 grep -q ready "$work/silent.log"
start_service "$storage"
main_job "a name whose first address never answers" named http
end_program
kill "$silent_job"
finish
