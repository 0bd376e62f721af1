#!/usr/bin/env bash
# The release files, in build/dist: for each Windows build (win64, win32) the
# per-user installer, a zip of the portable program with LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, and the program's debug information kept apart for
# crash analysis; a winget manifest set for both installers (winget/); and
# SHA256SUMS over all of them.
# The service host and the company site are fixed in the program here:
#   PSL_SERVICE_HOST=pictures.example.org PSL_COMPANY_SITE=example.org bash scripts/package.sh
# (each [http[s]://]host[:port]; https:// makes the program use HTTPS there)
# (defaults: the reserved .example names). PSL_RELEASE_URL is the address of
# the folder the files will be published in, for the winget manifests.
# Signing, when both are given (scripts/sign.sh):
#   PSL_SIGN_PKCS12=cert.p12 PSL_SIGN_PASSWORD_FILE=password.txt [PSL_SIGN_TIMESTAMP_URL=...]
# signs each program, the uninstaller inside each installer and the installers.
# Each run builds from scratch, so that the files depend on the sources alone:
# two runs of one commit give the same bytes (signed ones too, without a time
# stamp and with the same key). psl, the console tool, serves development and
# the tests and is not shipped.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
host=${PSL_SERVICE_HOST:-pondix.example}
site=${PSL_COMPANY_SITE:-company.example}
version=$(sed -n 's/^project(PondixScreenLoader VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
release_url=${PSL_RELEASE_URL:-https://downloads.pondix.example/$version}
if [ -n "${PSL_SIGN_PKCS12:-}${PSL_SIGN_PASSWORD_FILE:-}" ]; then
  if [ ! -r "${PSL_SIGN_PKCS12:-}" ] || [ ! -r "${PSL_SIGN_PASSWORD_FILE:-}" ]; then
    echo "package: signing needs both PSL_SIGN_PKCS12 (a PKCS#12 file) and PSL_SIGN_PASSWORD_FILE (its password), readable" >&2
    exit 2
  fi
  export PSL_SIGN_PKCS12 PSL_SIGN_PASSWORD_FILE
  signing=1
else
  echo "package: no PSL_SIGN_PKCS12 and PSL_SIGN_PASSWORD_FILE given: the release files are unsigned"
  signing=0
fi
# Time stamps (file times in the zips, the PE header that strip and objcopy
# write, the signing time): the commit's, not the build's.
stamp=$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 315532800)
export SOURCE_DATE_EPOCH=$stamp
dist="$top/build/dist"
rm -rf "$dist"
mkdir -p "$dist"

for arch in win64 win32; do
  case $arch in
    win64) triple=x86_64-w64-mingw32 toolchain=mingw-x86_64.cmake ;;
    win32) triple=i686-w64-mingw32 toolchain=mingw-i686.cmake ;;
  esac
  dir="$top/build/release-$arch"
  rm -rf "$dir"
  log="$dir.log"
  mkdir -p "$dir"
  if ! { cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPSL_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" -DPSL_SERVICE_HOST="$host" -DPSL_COMPANY_SITE="$site" \
    -DPSL_TESTS=OFF &&
    cmake --build "$dir" --target PondixScreenLoader -- -j"$(nproc)"; } >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  name="PondixScreenLoader-$version-$arch"
  stage="$dir/stage"
  mkdir -p "$stage"
  "$triple-objcopy" --only-keep-debug "$dir/PondixScreenLoader.exe" "$dist/$name.debug"
  "$triple-strip" --strip-all -o "$stage/PondixScreenLoader.exe" "$dir/PondixScreenLoader.exe"
  (cd "$dist" && "$triple-objcopy" --add-gnu-debuglink="$name.debug" "$stage/PondixScreenLoader.exe")
  # The signature covers the debug link: it comes last.
  [ $signing = 0 ] || bash "$top/scripts/sign.sh" "$stage/PondixScreenLoader.exe"
  sed 's/\r*$/\r/' "$top/LICENSE" >"$stage/LICENSE.txt"
  bash "$top/scripts/notices.sh" "$dir/PondixScreenLoader.exe.map" "$stage/THIRD-PARTY-NOTICES.txt"
  touch -d "@$stamp" "$stage"/*
  (cd "$stage" && TZ=UTC zip -q -X -D "$dist/$name.zip" PondixScreenLoader.exe LICENSE.txt THIRD-PARTY-NOTICES.txt)
  bash "$top/scripts/make-installer.sh" "$arch" "$stage/PondixScreenLoader.exe" "$stage/THIRD-PARTY-NOTICES.txt" \
    "$dist/$name-setup.exe"
  echo "package: $arch: $(stat -c %s "$stage/PondixScreenLoader.exe") bytes stripped," \
    "$(stat -c %s "$dir/PondixScreenLoader.exe") with debug information"
done
bash "$top/scripts/winget.sh" "$dist/winget" "$version" "$release_url" \
  "$dist/PondixScreenLoader-$version-win64-setup.exe" "$dist/PondixScreenLoader-$version-win32-setup.exe"
(cd "$dist" && sha256sum -- *.exe *.zip *.debug winget/*.yaml >SHA256SUMS)
echo "package: release files for $host in $dist:"
(cd "$dist" && ls -l | tail -n +2)
