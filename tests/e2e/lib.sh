# Helpers for the end-to-end scripts. Run inside scripts/wine-run.sh, which
# provides WINEPREFIX and DISPLAY (and, with --own-loopback, a network of the
# run's own). $1 of the script is the Windows build folder.
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$top/scripts/harness.sh"
artifacts="$build/artifacts"
mkdir -p "$artifacts"
driver() { psl_driver "$build" "$@"; }

# What the user meets, as the scripts look for it: the tray icon's tip and
# where the virtual desktop draws the first icon, the title of the program's
# message boxes and the texts of its start-up messages, the autostart key, and
# the keys that choose menu items.
tip="Pondix Screenshot Loader"
icon_x=1270 icon_y=790
title=Pondixscreenloader
update_text="Обновите версию!Сейчас программа откроет браузер."
unavailable_text="Сервер программы не доступен, попробуйте не много позже или проверьте соединение с интернетом"
run_key='HKCU\software\microsoft\windows\currentversion\run'
VK_RETURN=0x0D VK_ESCAPE=0x1B VK_RIGHT=0x27 VK_DOWN=0x28
failures=0
# Each check is one case of test.sh's count (PSL_CASE_DIR, PSL_CASE_NAME).
case_log=/dev/null
[ -n "${PSL_CASE_DIR:-}" ] && [ -n "${PSL_CASE_NAME:-}" ] && case_log="$PSL_CASE_DIR/$PSL_CASE_NAME.cases"
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    echo ok >>"$case_log"
  else
    echo "FAILED: $what"
    echo FAILED >>"$case_log"
    failures=$((failures + 1))
  fi
}
program_pid() { psl_program_pid; }
wait_until() {  # wait_until SECONDS COMMAND...
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}
finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
not_visible() { ! driver visible "$1" >/dev/null; }
tip_count() { driver tips | grep -cxF "$1"; }
no_tip() { [ "$(tip_count "$1")" = 0 ]; }
# The icon with this tip is gone from the virtual desktop's tray. Explorer may
# keep the tip of an icon that went while its desktop stays open; the taskbar
# hides once no icon is left (the unit tests see the removal request itself).
icon_gone() { no_tip "$1" || ! driver visible Shell_TrayWnd >/dev/null; }

# new_work NAME: sets $work to a fresh folder under the build for this run's
# files (program copy, service storage, current directory). It goes when the
# script ends with every check passed and stays for a look otherwise.
work=""
new_work() { work=$(mktemp -d "$build/e2e-$1.XXXXXX"); }

# private_copy DIR: copies the program into DIR and prints the copy's path. The
# program keeps files beside itself (ver, config.pl), so each run needs its own.
private_copy() { psl_place_program "$build/PondixScreenLoader.exe" "$1"; }

# start_service STORAGE [MAX_SIZE] [--tls CERT KEY]: the reference service on
# the port built into the program (its own port under wine-run.sh
# --own-loopback), which the program asks at every start; the script ends
# when it cannot start. stop_service ends it, and so does the end of the script.
service_storage=""
start_service() {
  service_storage=$(mkdir -p "$1" && cd "$1" && pwd)
  psl_start_service "$@" || exit 1
}
stop_service() {
  [ -z "$service_storage" ] || psl_stop_service "$service_storage"
}

# record_browser LOG: the default browser becomes a script that appends each
# address it is given to LOG (emptied here).
record_browser() {
  local recorder
  recorder="$(dirname "$WINEPREFIX")/browser.sh"
  printf '#!/bin/sh\necho "$@" >> "%s"\n' "$1" >"$recorder"
  chmod +x "$recorder"
  : >"$1"
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$recorder" /f >/dev/null 2>&1
}

# read_only DIR: DIR cannot be written from here on, not even by root: an
# empty read-only file system over it, or with --bind, its own files read-only.
# Needs the mount namespace of wine-run.sh --own-loopback; fails without it.
read_only() {
  [ -n "${PSL_WINE_NETNS:-}" ] || return 1
  if [ "$1" = --bind ]; then
    mount --bind "$2" "$2" && mount -o remount,bind,ro "$2"
  else
    mkdir -p "$1" && mount -t tmpfs -o ro tmpfs "$1"
  fi
}

# This file owns the EXIT trap. The service goes first: its pid file lives in
# the work folder.
at_exit() {
  local rc=$?
  stop_service >/dev/null 2>&1
  if [ -n "$work" ] && [ "$rc" -eq 0 ] && [ "$failures" -eq 0 ]; then rm -rf "$work"; fi
}
trap at_exit EXIT
trap 'exit 130' INT TERM
