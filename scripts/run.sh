#!/usr/bin/env bash
# The main job: the reference picture service on loopback and the program under
# Wine in a virtual desktop.
#   On a display ($DISPLAY set): the desktop opens there; press Alt+S in it.
#   Without one: a private Xvfb; the run is driven by scripts/run-headless.sh.
# Installs what is missing and builds incrementally first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/config.sh"

bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" win32

storage="$top/build/run/pictures"
mkdir -p "$storage"
bash "$top/scripts/service.sh" stop "$storage" >/dev/null 2>&1 || true
bash "$top/scripts/service.sh" start "$PSL_TEST_SERVICE_PORT" "$storage"
trap 'bash "$top/scripts/service.sh" stop "$storage" >/dev/null 2>&1 || true' EXIT
echo "service: http://$PSL_TEST_SERVICE_HOST/ (pictures in $storage)"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$top/build/wine/user" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  cd "$top/build/run"
  echo "program: in the tray of the Wine desktop window; Alt+S takes a screenshot, the tray menu's last item ends it"
  exec wine explorer /desktop=Pondix,1280x800 "$top/build/win32/PondixScreenLoader.exe"
fi

exec bash "$top/scripts/wine-run.sh" --mode desktop --timeout "${PSL_RUN_SECONDS:-3600}" \
  bash "$top/scripts/run-headless.sh" "$top/build/win32" "$storage"
