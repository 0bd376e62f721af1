#!/usr/bin/env bash
# squid as the tests' HTTP proxy, with a configuration of its own on a
# loopback port; Debian's own squid service plays no part.
#   squid.sh start DIR PORT [--hosts FILE] [--basic USER PASSWORD]
#   squid.sh stop DIR
# --hosts: the names squid resolves (and nothing else: no DNS server is
# asked), so that a test name reaches the service only through it.
# --basic: the proxy asks for Basic sign-in with that one user.
# CONNECT goes to any port. squid runs as its own user, which must be able
# to reach DIR and FILE. The configuration, pid and logs live in DIR;
# stop ends only the squid that start launched there. Silent on success.
set -euo pipefail

usage() {
  echo "usage: squid.sh start DIR PORT [--hosts FILE] [--basic USER PASSWORD] | stop DIR" >&2
  exit 2
}

source "$(dirname "$0")/processes.sh"

start() {
  local dir=$1 port=$2
  shift 2
  [[ $port =~ ^[0-9]+$ ]] || usage
  local hosts=/dev/null user="" password=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --hosts) hosts=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
      --basic) user=$2 password=$3; shift 3 ;;
      *) usage ;;
    esac
  done
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  if [ -f "$dir/squid.pid" ] && psl_alive "$(cat "$dir/squid.pid")"; then
    echo "squid.sh: already running in $dir" >&2
    exit 1
  fi
  local access="http_access allow localhost"
  if [ -n "$user" ]; then
    printf '%s:%s\n' "$user" "$(openssl passwd -apr1 "$password")" >"$dir/passwd"
    access="auth_param basic program /usr/lib/squid/basic_ncsa_auth $dir/passwd
auth_param basic realm psl-test
acl signed_in proxy_auth REQUIRED
http_access allow signed_in"
  fi
  cat >"$dir/squid.conf" <<CONF
http_port 127.0.0.1:$port
pid_filename $dir/squid.pid
cache_log $dir/cache.log
access_log stdio:$dir/access.log
cache_store_log none
coredump_dir $dir
cache deny all
cache_mem 8 MB
hosts_file $hosts
dns_nameservers 127.0.0.1
dns_timeout 5 seconds
connect_timeout 10 seconds
forward_max_tries 2
shutdown_lifetime 0 seconds
pinger_enable off
visible_hostname psl-test-proxy
acl CONNECT method CONNECT
$access
http_access deny all
CONF
  # squid drops to its own user, which must write the logs here.
  chown -R proxy:proxy "$dir" 2>/dev/null || chmod -R a+rwX "$dir"
  squid -N -f "$dir/squid.conf" </dev/null >>"$dir/cache.log" 2>&1 &
  local pid=$!
  for _ in $(seq 200); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$pid" >"$dir/squid.pid"
      return 0
    fi
    if ! psl_alive "$pid"; then
      echo "squid.sh: squid did not start:" >&2
      cat "$dir/cache.log" >&2
      exit 1
    fi
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  echo "squid.sh: nothing answers on port $port" >&2
  exit 1
}

case "${1:-}" in
  start) shift; [ $# -ge 2 ] || usage; start "$@" ;;
  stop)
    [ $# -eq 2 ] || usage
    [ -d "$2" ] || exit 0
    dir=$(cd "$2" && pwd)
    # squid takes seconds over an orderly end, and keeps nothing worth one:
    # its helpers end with it.
    pid=$(cat "$dir/squid.pid" 2>/dev/null || true)
    if psl_alive "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "squid -N -f $dir/squid.conf"; then
      kill -KILL "$pid"
      # Gone, or a zombie whose reaping is its parent's business.
      while psl_alive "$pid" && ! grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null; do sleep 0.02; done
    fi
    rm -f "$dir/squid.pid"
    ;;
  *) usage ;;
esac
