#!/usr/bin/env bash
# The reference picture service (PHP's built-in web server) on loopback.
#   service.sh start PORT STORAGE [MAX_SIZE]   serve on 127.0.0.1:PORT, pictures in STORAGE
#   service.sh stop STORAGE                     stop the server started for STORAGE
# Silent on success. The server's pid and log live in STORAGE, so stop ends
# only the process that start launched.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: service.sh start PORT STORAGE [MAX_SIZE] | stop STORAGE" >&2
  exit 2
}

alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }

start() {
  local port=$1 storage=$2 max=${3:-4194304}
  [[ $port =~ ^[0-9]+$ && $max =~ ^[0-9]+$ ]] || usage
  mkdir -p "$storage"
  storage=$(cd "$storage" && pwd)
  local pidfile="$storage/.service.pid"
  if [ -f "$pidfile" ] && alive "$(cat "$pidfile")"; then
    echo "service.sh: already running for $storage" >&2
    exit 1
  fi
  # PHP's own limits sit above ours, so the router answers "max size" itself.
  local phpLimit=$((max + 1048576))
  PSL_STORAGE="$storage" PSL_MAX_SIZE="$max" \
    php -n -d display_errors=0 -d log_errors=1 -d file_uploads=1 -d max_file_uploads=4 \
    -d upload_max_filesize="$phpLimit" -d post_max_size="$phpLimit" -d memory_limit=64M \
    -S "127.0.0.1:$port" -t "$top/service" "$top/service/router.php" \
    </dev/null >"$storage/.service.log" 2>&1 &
  local pid=$!
  echo "$pid" >"$pidfile"
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then return 0; fi
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
  [ -f "$pidfile" ] || return 0
  local pid
  pid=$(cat "$pidfile")
  if alive "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q 'service/router.php'; then
    kill "$pid"
    for _ in $(seq 100); do
      alive "$pid" || break
      sleep 0.02
    done
  fi
  rm -f "$pidfile"
}

case "${1:-}" in
  start) [ $# -ge 3 ] && [ $# -le 4 ] || usage; start "$2" "$3" "${4:-}" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
