#!/usr/bin/env bash
# Installs what the builds and tests need, then builds the Windows-side
# libraries (libjpeg, GoogleTest) from Debian's own sources for both Windows
# architectures. 32-bit Wine is installed only where the host executes 32-bit
# code, and going without it is no failure: the 32-bit Windows tests are then
# skipped. Idempotent and quiet when everything is already there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/deps"
source "$top/scripts/wine-arch.sh"

# Exactly what the scripts and tests use: the native and cross compilers
# with their build tools, libjpeg and GoogleTest (the Windows builds compile
# both from Debian's sources), Wine with a virtual X server and a compositor
# (xdpyinfo for the run command, ImageMagick for screenshots), the reference
# service's PHP and the nginx with OpenSSL that serves it over HTTPS, NSIS
# and osslsigncode for the installers and release files, the locales that
# the installer's language test runs Wine in, squid as the tests' HTTP
# proxy, and the tools the tests and benchmarks call (curl, ss, pgrep, GNU
# time, zip, unzip, python3 with YAML for the winget manifests, git).
packages=(
  cmake g++ ninja-build clang clang-format libclang-rt-14-dev git
  libjpeg62-turbo-dev libjpeg-turbo-progs googletest libgtest-dev dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 nasm
  wine wine64 xvfb xcompmgr x11-utils imagemagick
  php-cli nsis curl procps iproute2 time zip unzip python3 python3-yaml osslsigncode locales
  libssl-dev openssl nginx-light libnginx-mod-stream squid
)

missing_of() {
  local p
  for p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

apt_install() {  # quiet unless the install fails
  local log
  log=$(mktemp)
  # One stale list (a mirror in mid-sync) fails the update but leaves the
  # others usable: the install then says whether what we need is there.
  apt-get update -qq >"$log" 2>&1 || echo "setup: apt-get update reported errors; installing from the lists it has" >&2
  if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >>"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

mapfile -t missing < <(missing_of "${packages[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_install "${missing[@]}"
fi

# Debian's squid starts a system service of its own when it is installed. The
# tests start squid with configurations of theirs and never use that one: it
# is stopped, and kept from starting at boot.
squid_pid=$(cat /run/squid.pid 2>/dev/null || true)
if [ -n "$squid_pid" ] && kill -0 "$squid_pid" 2>/dev/null; then
  echo "setup: stopping the system's squid service (the tests run their own)"
  if command -v systemctl >/dev/null && systemctl is-active -q squid 2>/dev/null; then
    systemctl stop squid
  else
    invoke-rc.d squid stop >/dev/null 2>&1 || kill "$squid_pid"
  fi
fi
if command -v systemctl >/dev/null && [ "$(systemctl is-enabled squid 2>/dev/null)" = enabled ]; then
  systemctl disable -q squid
elif ls /etc/rc[2-5].d/S*squid >/dev/null 2>&1; then
  update-rc.d squid disable >/dev/null 2>&1 || true
fi

# The installer's language test runs Wine with an English and a Russian
# display language, which Wine takes from the locale.
for locale in en_US ru_RU; do
  locale -a | grep -qx "$locale.utf8" || localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done

# A host whose package mirrors cannot give 32-bit Wine is remembered, so
# that later runs do not try again: PSL_RETRY_WINE32=1 (or removing the
# file) makes the next run try.
no_wine32="$deps/wine32-unavailable"
[ "${PSL_RETRY_WINE32:-0}" = 1 ] && rm -f "$no_wine32"
if psl_host_runs_i386 && [ -n "$(missing_of wine32:i386)" ] && [ ! -f "$no_wine32" ]; then
  echo "setup: installing wine32:i386"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  if ! apt_install wine32:i386 2>/dev/null; then
    mkdir -p "$deps"
    date -u +%Y-%m-%dT%H:%MZ >"$no_wine32"
    echo "setup: wine32:i386 could not be installed; the 32-bit Windows tests will be skipped" \
      "(not tried again; PSL_RETRY_WINE32=1 tries)" >&2
  fi
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
  apt-get update -qq >/dev/null 2>&1 || true
}

jpeg_source() {  # prints the unpacked libjpeg-turbo source folder
  local src="$deps/src"
  if ! find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' 2>/dev/null | grep -q .; then
    enable_sources
    mkdir -p "$src"
    # apt fetches as its own unprivileged user where it may write.
    id _apt >/dev/null 2>&1 && chown _apt "$src"
    (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null)
  fi
  find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1
}

# libjpeg (jpeg62 API, with its SIMD code) and GoogleTest for one Windows
# architecture, into build/deps/ARCH where that build's find_package looks.
build_windows_deps() {  # build_windows_deps win64|win32 TOOLCHAIN
  local arch=$1 toolchain=$2 prefix="$deps/$1"
  if [ ! -f "$prefix/lib/libjpeg.a" ]; then
    echo "setup: building libjpeg-turbo for $arch"
    local jsrc
    jsrc=$(jpeg_source)
    cmake -S "$jsrc" -B "$deps/build-jpeg-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
      -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
    cmake --build "$deps/build-jpeg-$arch" >/dev/null
    cmake --install "$deps/build-jpeg-$arch" >/dev/null
  fi
  if [ ! -f "$prefix/lib/libgtest.a" ]; then
    echo "setup: building GoogleTest for $arch"
    cmake -S /usr/src/googletest -B "$deps/build-gtest-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
      -Dgtest_disable_pthreads=ON >/dev/null
    cmake --build "$deps/build-gtest-$arch" >/dev/null
    cmake --install "$deps/build-gtest-$arch" >/dev/null
  fi
}

build_windows_deps win64 "$top/cmake/mingw-x86_64.cmake"
build_windows_deps win32 "$top/cmake/mingw-i686.cmake"
