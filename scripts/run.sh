#!/usr/bin/env bash
# The main job: the reference picture service on loopback and the program under Wine.
#   On a display ($DISPLAY set): the program joins that desktop; press Alt+S.
#   Without one: a private Xvfb with a compositor, and scripts/run-headless.sh
#   makes one capture as a user would and shows where the link and picture went.
# Not in Wine's virtual desktop: it draws the translucent veil opaque, so the
# screen copy would hold the veil instead of the screen.
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

# The program keeps files beside itself (ver, config.pl): a folder of its own
# keeps them, as an installation would, and out of the build.
app="$top/build/run/app"
mkdir -p "$app"
cp --remove-destination "$top/build/win32/PondixScreenLoader.exe" "$app/"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$top/build/wine/user" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  cd "$top/build/run"
  echo "program: in the tray; Alt+S takes a screenshot, the tray menu's last item ends it"
  echo "(the veil is translucent and the copy clean only where the desktop runs a compositor)"
  wine "$app/PondixScreenLoader.exe"
  exit
fi

# The service runs outside the run, so the run shares the machine's network.
PSL_WINE_OWN_LOOPBACK=0 bash "$top/scripts/wine-run.sh" --mode compositor --timeout "${PSL_RUN_SECONDS:-600}" \
  bash "$top/scripts/run-headless.sh" "$top/build/win32" "$storage" "$app/PondixScreenLoader.exe"
