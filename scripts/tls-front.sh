#!/usr/bin/env bash
# nginx terminating TLS on a loopback port in front of a plain TCP one. The
# stream module passes the bytes inside TLS to the back end unchanged, where
# the HTTP proxy would rewrite the request.
#   tls-front.sh start DIR PORT BACKEND_PORT CERT KEY
#   tls-front.sh stop DIR
# nginx's configuration, pid and logs live in DIR; stop ends only the nginx
# that start launched there. Silent on success.
set -euo pipefail

usage() {
  echo "usage: tls-front.sh start DIR PORT BACKEND_PORT CERT KEY | stop DIR" >&2
  exit 2
}

source "$(dirname "$0")/processes.sh"
alive() { psl_alive "$@"; }

start() {
  local dir=$1 port=$2 backend=$3 cert=$4 key=$5
  [[ $port =~ ^[0-9]+$ && $backend =~ ^[0-9]+$ ]] || usage
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  cert=$(cd "$(dirname "$cert")" && pwd)/$(basename "$cert")
  key=$(cd "$(dirname "$key")" && pwd)/$(basename "$key")
  if [ -f "$dir/front.pid" ] && alive "$(cat "$dir/front.pid")"; then
    echo "tls-front.sh: already running in $dir" >&2
    exit 1
  fi
  cat >"$dir/nginx.conf" <<CONF
load_module /usr/lib/nginx/modules/ngx_stream_module.so;
daemon off;
user nobody nogroup;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 256; }
stream {
  server {
    listen 127.0.0.1:$port ssl;
    ssl_certificate $cert;
    ssl_certificate_key $key;
    ssl_protocols TLSv1.2 TLSv1.3;
    proxy_pass 127.0.0.1:$backend;
  }
}
CONF
  nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" </dev/null >>"$dir/error.log" 2>&1 &
  local pid=$!
  echo "$pid" >"$dir/front.pid"
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then return 0; fi
    if ! alive "$pid"; then
      rm -f "$dir/front.pid"
      echo "tls-front.sh: nginx did not start:" >&2
      cat "$dir/error.log" >&2
      exit 1
    fi
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  rm -f "$dir/front.pid"
  echo "tls-front.sh: nothing answers on port $port" >&2
  exit 1
}

stop() {
  local pidfile="$1/front.pid"
  # The master's fast shutdown ends its worker too.
  psl_stop_pidfile "$pidfile" '^nginx'
}

case "${1:-}" in
  start) [ $# -eq 6 ] || usage; start "$2" "$3" "$4" "$5" "$6" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
