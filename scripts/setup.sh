#!/usr/bin/env bash
# Installs what the builds and tests need, then builds the Windows-side
# libraries (libjpeg, GoogleTest) from Debian's own sources.
# Idempotent and quiet when everything is already there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/deps"

packages=(
  cmake g++ make ninja-build clang clang-format libclang-rt-14-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 nasm
  wine wine32:i386 xvfb xcompmgr xdotool x11-utils xclip imagemagick
  php-cli curl dpkg-dev procps iproute2
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  [ "$have_i386" = 1 ] || dpkg --add-architecture i386
  log=$(mktemp)
  if ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  rm -f "$log"
fi

# Source entries mirroring the machine's binary ones, so that apt-get source
# works without naming any host.
enable_sources() {
  local list=/etc/apt/sources.list.d/psl-deb-src.sources
  [ -f "$list" ] && return
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$list"
  else
    grep -hE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed -e 's/^deb /deb-src /' >/etc/apt/sources.list.d/psl-deb-src.list
    touch "$list"
  fi
  apt-get update -qq
}

toolchain="$top/cmake/mingw-i686.cmake"

# libjpeg (jpeg62 API) for the Windows build.
if [ ! -f "$deps/win32/lib/libjpeg.a" ]; then
  echo "setup: building libjpeg-turbo for i686-w64-mingw32"
  enable_sources
  src="$deps/src"
  mkdir -p "$src"
  # apt fetches as its own unprivileged user where it may write.
  id _apt >/dev/null 2>&1 && chown _apt "$src"
  (cd "$src" && [ -d libjpeg-turbo-*/ ] 2>/dev/null || apt-get source -qq libjpeg-turbo >/dev/null)
  jsrc=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
  cmake -S "$jsrc" -B "$deps/build-jpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$deps/win32" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
    -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
  cmake --build "$deps/build-jpeg" >/dev/null
  cmake --install "$deps/build-jpeg" >/dev/null
fi

# GoogleTest for the Windows tests, from Debian's googletest sources.
if [ ! -f "$deps/win32/lib/libgtest.a" ]; then
  echo "setup: building GoogleTest for i686-w64-mingw32"
  cmake -S /usr/src/googletest -B "$deps/build-gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$deps/win32" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$deps/build-gtest" >/dev/null
  cmake --install "$deps/build-gtest" >/dev/null
fi
