# Helpers for the scripts that start servers of their own; sourced.

# psl_alive PID: the process runs.
psl_alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }

# psl_free_port: a loopback port nothing listens on, below the system's
# range for the local ends of connections, so that no client holds it either.
psl_free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 12000))
    [ -z "$(ss -Hltn "sport = :$port")" ] && echo "$port" && return
  done
}

# psl_stop_pidfile PIDFILE PATTERN: ends the process that PIDFILE names, and
# waits a moment for it, when its command line matches PATTERN (a pid may have
# been reused since); then removes PIDFILE.
psl_stop_pidfile() {
  [ -f "$1" ] || return 0
  local pid
  pid=$(cat "$1")
  if psl_alive "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "$2"; then
    kill "$pid"
    for _ in $(seq 100); do
      psl_alive "$pid" || break
      sleep 0.02
    done
  fi
  rm -f "$1"
}
