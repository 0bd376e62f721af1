#!/usr/bin/env bash
# Real TLS peers for the TLS test, then the test itself:
#   tls_peers.sh PROGRAM[.exe]
# openssl s_server with each certificate of scripts/test-ca.sh, one that
# speaks only TLS 1.0, and nginx in front of a loopback port where the test
# records what arrives inside TLS. The test authority is trusted through the
# system's bundle, bind-mounted in a mount namespace of the run's own (made
# here with unshare -m unless scripts/wine-run.sh --own-loopback made one), so
# that OpenSSL natively and Schannel under Wine both trust it, and nothing
# outside the run does. The ports reach the test in PSL_TLS_* variables; an
# .exe runs under wine (inside scripts/wine-run.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/../../.." && pwd)
program=$1
source "$top/scripts/processes.sh"

# The bind mount must never reach the machine's own namespace: it happens only
# in one that wine-run.sh (PSL_WINE_NETNS) or this script itself made.
if [ -z "${PSL_WINE_NETNS:-}" ] && [ "${PSL_TLS_PEERS_NS:-}" != $$ ]; then
  if unshare -m true 2>/dev/null; then PSL_TLS_PEERS_NS=$$ exec unshare -m -- bash "$0" "$@"; fi
  echo "tls_peers: no mount namespace allowed here; the test skips what needs the test authority" >&2
  exec "$program"
fi

run=$(mktemp -d "${TMPDIR:-/tmp}/psl-tls-peers.XXXXXX")
pids=() say=()
cleanup() {
  bash "$top/scripts/tls-front.sh" stop "$run/front" >/dev/null 2>&1
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$run"
}
trap cleanup EXIT

bash "$top/scripts/test-ca.sh" "$run/ca" || exit 1
mount --bind "$run/ca/bundle.crt" /etc/ssl/certs/ca-certificates.crt || exit 1
mkdir -p "$run/www"
answer="good:answer over TLS"
printf '%s' "$answer" >"$run/www/ver.txt"


serve() {  # serve NAME CERT [S_SERVER OPTIONS...]: sets PSL_TLS_NAME to its port
  local name=$1 cert=$2 port input=/dev/null mode="-quiet -WWW"
  shift 2
  port=$(psl_free_port)
  if [ ${#say[@]} -gt 0 ]; then  # says each of say from its stdin, 0.1 s apart, to the first request
    mkfifo "$run/$name.in" && input=$run/$name.in mode=-crlf
    (exec 3>"$input"; until grep -qs '^GET ' "$run/$name.log"; do sleep 0.05; done
     for line in "${say[@]}"; do printf "$line" >&3; sleep 0.1; done) &
    pids+=($!) say=()
  fi
  (cd "$run/www" && exec openssl s_server $mode -accept "127.0.0.1:$port" -cert "$run/ca/$cert" \
    -key "$run/ca/server.key" "$@" <"$input" >"$run/$name.log" 2>&1) &
  pids+=($!)
  export "PSL_TLS_$name=$port"
  for _ in $(seq 100); do
    [ -n "$(ss -Hltn "sport = :$port")" ] && return
    sleep 0.05
  done
  echo "tls_peers: s_server $name did not start:" >&2
  cat "$run/$name.log" >&2
  exit 1
}

serve GOOD good.pem
serve WRONG_NAME wrong-name.pem
serve EXPIRED expired.pem
serve UNKNOWN_CA unknown-ca.pem
# Debian's OpenSSL allows TLS 1.0 only at security level 0.
serve TLS10 good.pem -tls1 -cipher DEFAULT@SECLEVEL=0
serve VERIFY good.pem -Verify 1
serve NOT_CA not-ca.pem -cert_chain "$run/ca/not-ca-issuer.pem"
# Said in the middle of a reply, r renegotiates, K updates the keys; q closes without close_notify.
head="HTTP/1.0 200 OK\nConnection: close\nContent-Length: ${#answer}\n\n"
say=("$head" "r\n" "$answer" "q\n") && serve RENEGOTIATE good.pem -tls1_2
say=("$head" "K\n" "$answer" "q\n") && serve KEY_UPDATE good.pem -tls1_3
say=("HTTP/1.0 200 OK\n\n" "good:" "${answer#good:}" "q\n") && serve CUT good.pem
export PSL_TLS_RECORDER=$(psl_free_port) PSL_TLS_FRONT
until PSL_TLS_FRONT=$(psl_free_port) && [ "$PSL_TLS_FRONT" != "$PSL_TLS_RECORDER" ]; do :; done
bash "$top/scripts/tls-front.sh" start "$run/front" "$PSL_TLS_FRONT" "$PSL_TLS_RECORDER" \
  "$run/ca/good.pem" "$run/ca/server.key" || exit 1
export PSL_TLS_ANSWER=$answer

if [[ "$program" == *.exe ]]; then
  wine "$program"
else
  "$program"
fi
