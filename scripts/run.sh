#!/usr/bin/env bash
# The main job: the reference picture service on loopback and the program under Wine.
#   On a display ($DISPLAY set): the program joins that desktop; press Alt+S.
#   Without one: a private Xvfb with a compositor, and scripts/run-headless.sh
#   makes one capture as a user would and shows where the link and picture went.
# Not in Wine's virtual desktop: it draws the translucent veil opaque, so the
# screen copy would hold the veil instead of the screen.
# Runs the 64-bit build; PSL_RUN_ARCH=win32 runs the 32-bit one instead.
# PSL_TLS=1 serves HTTPS (nginx in front of the service, with a certificate of
# scripts/test-ca.sh) and runs the program built for https://HOST:PORT, with
# the test authority trusted in the run's own mount namespace only (root).
# Installs what is missing and builds incrementally first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/harness.sh"
source "$top/scripts/wine-arch.sh"
arch=${PSL_RUN_ARCH:-win64}
tls=${PSL_TLS:-0}
if [ $# -gt 0 ]; then
  echo "usage: run.sh   (settings: PSL_RUN_ARCH=win32, PSL_RUN_SECONDS=S, PSL_TLS=1)" >&2
  exit 2
fi

bash "$top/scripts/setup.sh"
if [ "$arch" = win32 ] && why=$(psl_why_no_win32); then
  echo "run: cannot run the 32-bit build: $why" >&2
  exit 1
fi
bash "$top/scripts/build.sh" "$arch"

program="$top/build/$arch/PondixScreenLoader.exe"
service_tls=() scheme=http
trusting() { "$@"; }
if [ "$tls" = 1 ]; then
  ca="$top/build/run/ca"
  bash "$top/scripts/test-ca.sh" "$ca"
  if ! unshare -m true 2>/dev/null; then
    echo "run: PSL_TLS=1 needs a mount namespace of its own (root) to trust the test authority" >&2
    exit 1
  fi
  program="$top/build/$arch/https/PondixScreenLoader.exe"
  service_tls=(--tls "$ca/good.pem" "$ca/server.key")
  scheme=https
  # The program trusts the test authority; nothing outside this run does.
  trusting() {
    unshare -m -- bash -c 'mount --bind "$0" /etc/ssl/certs/ca-certificates.crt && exec "$@"' "$ca/bundle.crt" "$@"
  }
fi

storage="$top/build/run/pictures"
mkdir -p "$storage"
psl_stop_service "$storage"
psl_start_service "$storage" "${service_tls[@]}"
trap 'psl_stop_service "$storage"' EXIT
echo "service: $scheme://$PSL_TEST_SERVICE_HOST/ (pictures in $storage)"

# The program keeps files beside itself (ver, config.pl): a folder of its own
# keeps them, as an installation would, and out of the build.
app=$(psl_place_program "$program" "$top/build/run/app")

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  PATH="$(psl_wine_path "$arch"):$PATH"
  export PATH WINEPREFIX="$top/build/wine/$arch/user" WINEARCH=$arch WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  cd "$top/build/run"
  echo "program: in the tray; Alt+S takes a screenshot, the tray menu's last item ends it"
  echo "(the veil is translucent and the copy clean only where the desktop runs a compositor)"
  trusting wine "$app"
  exit
fi

# The service runs outside the run, so the run shares the machine's network.
PSL_WINE_OWN_LOOPBACK=0 trusting bash "$top/scripts/wine-run.sh" --arch "$arch" --mode compositor --timeout "${PSL_RUN_SECONDS:-600}" \
  bash "$top/scripts/run-headless.sh" "$top/build/$arch" "$storage" "$app"
