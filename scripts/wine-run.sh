#!/usr/bin/env bash
# Runs a Windows program (or a shell command that drives one) under a private
# Wine prefix on a private Xvfb display, with a time limit, and returns its exit
# code. Cleans up only what it started.
#
#   wine-run.sh [--arch win64|win32] [--mode plain|desktop|compositor] [--timeout SECONDS] [--own-loopback] PROGRAM.exe [ARGS...]
#   wine-run.sh [--arch ...] [--mode ...] [--timeout ...] [--own-loopback] COMMAND [ARGS...]
#
# --arch (or PSL_WINE_ARCH; win64 unless set) picks the Wine of the program's
# architecture: its loader, and booted templates of its own. A COMMAND finds
# wine, wineboot and winepath of that architecture first on PATH. A win32 run on
# a host that cannot run 32-bit code ends with 125 and one line saying why.
#
# plain:      no virtual desktop, no compositor (console tests, Win32 API tests).
# desktop:    Wine's virtual desktop 1280x800 with a taskbar and notification area.
# compositor: no virtual desktop, xcompmgr running: layered windows are translucent.
# The mode may also come from PSL_WINE_MODE. A COMMAND that is not an .exe runs
# with WINEPREFIX, DISPLAY and PSL_WINE_MODE exported, so that a test script can
# start the program and a driver itself. PSL_KEEP_PREFIX=1 keeps the prefix;
# PSL_WINE_SCREEN=WxH sets the screen size (1280x800).
# --own-loopback (or PSL_WINE_OWN_LOOPBACK=1): the whole run gets a network
# namespace of its own with only loopback up, so that a service it starts on
# 127.0.0.1 clashes with no other run's; what still runs there at the end is
# stopped. Needs root (unshare -n); without it a note goes to stderr and the run
# shares the machine's network.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${PSL_WINE_MODE:-plain}
arch=${PSL_WINE_ARCH:-win64}
limit=${PSL_WINE_TIMEOUT:-300}
own_loopback=${PSL_WINE_OWN_LOOPBACK:-0}
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --mode) mode=$2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --own-loopback) own_loopback=1; shift ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: wine-run.sh [--arch A] [--mode M] [--timeout S] [--own-loopback] PROGRAM [ARGS...]" >&2; exit 2; }

# The script runs again inside the new namespace, so that Xvfb, wineserver (which
# opens the program's sockets and files) and the command all live there. It
# gets a mount namespace too, so a test may mount things for its run alone. PSL_WINE_NETNS
# names the pid that made it (exec keeps the pid); a nested run stays in the
# namespace it finds.
own_netns=0
if [ "$own_loopback" = 1 ] && [ -z "${PSL_WINE_NETNS:-}" ]; then
  if unshare -n true 2>/dev/null; then
    PSL_WINE_NETNS=$$ exec unshare -n -m -- bash "$0" --arch "$arch" --mode "$mode" --timeout "$limit" --own-loopback "$@"
  fi
  echo "wine-run: no network namespace allowed here; running on the shared network" >&2
elif [ "$own_loopback" = 1 ] && [ "$PSL_WINE_NETNS" = $$ ]; then
  ip link set lo up || { echo "wine-run: cannot bring up loopback" >&2; exit 125; }
  own_netns=1
fi

source "$top/scripts/wine-arch.sh"
case "$arch" in
  win64) ;;
  win32)
    if why=$(psl_why_no_win32); then
      echo "wine-run: cannot run 32-bit Windows programs: $why" >&2
      exit 125
    fi
    ;;
  *) echo "wine-run: unknown architecture '$arch' (win64 or win32)" >&2; exit 2 ;;
esac
PATH="$(psl_wine_path "$arch"):$PATH"
WINELOADER=$(psl_wine_loader "$arch")
export PATH WINELOADER

wineroot="$top/build/wine/$arch"
mkdir -p "$wineroot/runs"
export WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Booted template prefixes, made once and then copied per run (hard links).
make_template() {
  local name=$1 tpl="$wineroot/template-$1"
  [ -f "$tpl/.ready" ] && return 0
  (
    flock 9
    [ -f "$tpl/.ready" ] && exit 0
    rm -rf "$tpl"
    export WINEPREFIX="$tpl" HOME="$wineroot/home" XDG_CONFIG_HOME="$wineroot/home/.config" \
      XDG_DATA_HOME="$wineroot/home/.local/share" XDG_CACHE_HOME="$wineroot/home/.cache"
    unset DISPLAY
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    if [ "$name" = desktop ]; then
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$tpl/.ready"
  ) 9>"$wineroot/template-$name.lock"
}

template=plain
[ "$mode" = desktop ] && template=desktop
make_template "$template" || { echo "wine-run: cannot boot a Wine prefix" >&2; exit 125; }

run=$(mktemp -d "$wineroot/runs/run.XXXXXX")
cp -al "$wineroot/template-$template/." "$run/prefix"
# wineserver saves a registry file that has other links in place, into the
# template's copy too: each run's registry files are copies of its own.
cp -a --remove-destination "$wineroot/template-$template/"*.reg "$run/prefix/"
export WINEPREFIX="$run/prefix" HOME="$run/home" XDG_CONFIG_HOME="$run/home/.config" \
  XDG_DATA_HOME="$run/home/.local/share" XDG_CACHE_HOME="$run/home/.cache" XDG_RUNTIME_DIR="$run/home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export PSL_WINE_MODE=$mode

xvfb_pid="" comp_pid=""
cleanup() {
  WINEPREFIX="$run/prefix" wineserver -k >/dev/null 2>&1
  WINEPREFIX="$run/prefix" timeout 10 wineserver -w >/dev/null 2>&1
  [ -n "$comp_pid" ] && kill "$comp_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
  # Whatever still runs in the run's own namespace (a service the command
  # left behind) was started by this run.
  if [ "$own_netns" = 1 ]; then
    local ns proc
    ns=$(readlink /proc/$$/ns/net)
    for proc in /proc/[0-9]*; do
      [ "${proc#/proc/}" != $$ ] && [ "$(readlink "$proc/ns/net" 2>/dev/null)" = "$ns" ] && kill "${proc#/proc/}" 2>/dev/null
    done
  fi
  [ "${PSL_KEEP_PREFIX:-0}" = 1 ] || rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it to a file.
Xvfb -displayfd 3 -screen 0 "${PSL_WINE_SCREEN:-1280x800}x24" -nolisten tcp -ac 3>"$run/display" >/dev/null 2>&1 &
xvfb_pid=$!
display=""
for _ in $(seq 200); do
  display=$(tr -dc 0-9 <"$run/display" 2>/dev/null)
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.05
done
[ -n "$display" ] || { echo "wine-run: Xvfb did not start" >&2; exit 125; }
export DISPLAY=":$display"
if [ "$mode" = compositor ]; then
  xcompmgr >/dev/null 2>&1 &
  comp_pid=$!
fi

if [[ "$1" == *.exe || "$1" == *.EXE ]]; then
  timeout --kill-after=5 "$limit" wine "$@"
else
  timeout --kill-after=5 "$limit" "$@"
fi
rc=$?
[ $rc -eq 124 ] && echo "wine-run: time limit of ${limit}s reached" >&2
exit $rc
