#!/usr/bin/env bash
# Configures (once) and builds incrementally.
#   build.sh [native|win64|win32|asan|tsan|fuzz]...   (default: native win64)
# win64 is the primary Windows build (x86_64), win32 the one for 32-bit Windows.
# Tests and the run command build against the reference service on loopback.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/config.sh"

configure_and_build() {
  local dir=$1
  shift
  local log="$dir.log"
  mkdir -p "$(dirname "$dir")"
  if [ ! -f "$dir/build.ninja" ]; then
    if ! cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPSL_WERROR=ON \
      -DPSL_SERVICE_HOST="$PSL_TEST_SERVICE_HOST" -DPSL_COMPANY_SITE="$PSL_TEST_COMPANY_SITE" \
      -DPSL_TEST_NAMED_HOST="$PSL_TEST_NAMED_HOST" "$@" >"$log" 2>&1; then
      cat "$log" >&2
      return 1
    fi
  fi
  # Quiet unless something fails; CMake re-runs itself here when a list changed.
  if ! cmake --build "$dir" -- -j"$(nproc)" >"$log" 2>&1; then
    grep -vE '^\[[0-9]+/[0-9]+\] ' "$log" >&2
    return 1
  fi
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native win64)
for t in "${targets[@]}"; do
  case "$t" in
    native) configure_and_build "$top/build/native" ;;
    asan) configure_and_build "$top/build/native-asan" -DPSL_SANITIZE=address,undefined ;;
    tsan) configure_and_build "$top/build/native-tsan" -DPSL_SANITIZE=thread ;;
    fuzz) configure_and_build "$top/build/fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPSL_FUZZ=ON ;;
    win64) configure_and_build "$top/build/win64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" ;;
    win32) configure_and_build "$top/build/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" ;;
    *) echo "build.sh: unknown build '$t'" >&2; exit 2 ;;
  esac
done
