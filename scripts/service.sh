#!/usr/bin/env bash
# The reference picture service (PHP's built-in web server) on loopback.
#   service.sh start PORT STORAGE [MAX_SIZE] [--tls CERT KEY]
#                             serve on 127.0.0.1:PORT, pictures in STORAGE
#   service.sh stop STORAGE   stop the server started for STORAGE
# With --tls, nginx terminates TLS on PORT with that certificate
# (scripts/tls-front.sh, its files in STORAGE/.tls) in front of PHP on a free
# loopback port, and the links are https ones (as they are with
# PSL_LINK_SCHEME=https, behind a TLS front of the caller's own).
# PSL_SERVICE_ADDRESS=::1 serves on [::1]:PORT instead. Silent on success. The
# servers' pids and logs live in STORAGE, so stop ends only what start
# launched.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: service.sh start PORT STORAGE [MAX_SIZE] [--tls CERT KEY] | stop STORAGE" >&2
  exit 2
}

source "$top/scripts/processes.sh"
alive() { psl_alive "$@"; }

start() {
  local port=$1 storage=$2 max=4194304 cert="" key=""
  shift 2
  if [ $# -gt 0 ] && [ "$1" != --tls ]; then
    max=$1
    shift
  fi
  case $# in
    0) ;;
    3) [ "$1" = --tls ] || usage; cert=$2 key=$3 ;;
    *) usage ;;
  esac
  [[ $port =~ ^[0-9]+$ && $max =~ ^[0-9]+$ ]] || usage
  mkdir -p "$storage"
  storage=$(cd "$storage" && pwd)
  local front=$port scheme=${PSL_LINK_SCHEME:-http} address=${PSL_SERVICE_ADDRESS:-127.0.0.1}
  [[ $address == *:* ]] && address="[$address]"
  if [ -n "$cert" ]; then
    port=$(psl_free_port)
    scheme=https
  fi
  local pidfile="$storage/.service.pid"
  if [ -f "$pidfile" ] && alive "$(cat "$pidfile")"; then
    echo "service.sh: already running for $storage" >&2
    exit 1
  fi
  # PHP's own limits sit above ours, so the router answers "max size" itself.
  local phpLimit=$((max + 1048576))
  PSL_STORAGE="$storage" PSL_MAX_SIZE="$max" PSL_LINK_SCHEME="$scheme" \
    php -n -d display_errors=0 -d log_errors=1 -d file_uploads=1 -d max_file_uploads=4 \
    -d upload_max_filesize="$phpLimit" -d post_max_size="$phpLimit" -d memory_limit=64M \
    -S "$address:$port" -t "$top/service" "$top/service/router.php" \
    </dev/null >"$storage/.service.log" 2>&1 &
  local pid=$!
  echo "$pid" >"$pidfile"
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/${PSL_SERVICE_ADDRESS:-127.0.0.1}/$port") 2>/dev/null; then
      # On a shared network another run's service may answer there while ours failed.
      if ! ss -Hltnp "sport = :$port" | grep -q "pid=$pid,"; then
        stop "$storage"
        echo "service.sh: port $port is held by another process" >&2
        exit 1
      fi
      [ -z "$cert" ] && return 0
      bash "$top/scripts/tls-front.sh" start "$storage/.tls" "$front" "$port" "$cert" "$key" && return 0
      stop "$storage"
      exit 1
    fi
    if ! alive "$pid"; then
      rm -f "$pidfile"
      echo "service.sh: the server did not start:" >&2
      cat "$storage/.service.log" >&2
      exit 1
    fi
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  rm -f "$pidfile"
  echo "service.sh: nothing answers on port $port" >&2
  exit 1
}

stop() {
  local storage=$1
  local pidfile="$storage/.service.pid"
  bash "$top/scripts/tls-front.sh" stop "$storage/.tls"
  psl_stop_pidfile "$pidfile" service/router.php
}

case "${1:-}" in
  start) [ $# -ge 3 ] || usage; shift; start "$@" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
