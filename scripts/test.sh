#!/usr/bin/env bash
# Runs every test suite: the native unit tests (plain and under ASan+UBSan),
# the Windows tests and the end-to-end tests under 64-bit Wine and, where the
# host executes 32-bit code, under 32-bit Wine, and the format check.
#   test.sh              all of the above
#   test.sh --extended   also ThreadSanitizer, the fuzzers (bounded), the release
#                        files (signed and not), a soak of 200 captures under
#                        64-bit Wine and the benchmarks
# Installs what is missing and builds incrementally first; the 32-bit build is
# compiled everywhere. Where its tests cannot run, one line says why and they
# count as skipped. PSL_NO_32BIT=1 takes that path on any host.
# The closing line counts test cases: each GoogleTest case, each check of an
# end-to-end script, and each other test as one. It is printed whatever
# happens; a set-up or build that fails counts as a failed case.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-arch.sh"
source "$top/scripts/test-cases.sh"

usage() {
  echo "usage: test.sh [--extended]" >&2
  exit 2
}
extended=0
case $# in
  0) ;;
  1) [ "$1" = --extended ] && extended=1 || usage ;;
  *) usage ;;
esac

passed=0 failed=0 skipped=0
close() {
  echo "$passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
  exit
}
if ! bash "$top/scripts/setup.sh"; then
  echo "== set-up failed"
  failed=$((failed + 1))
  close
fi
builds=(native asan win64 win32)
[ $extended = 1 ] && builds+=(tsan fuzz)
if ! bash "$top/scripts/build.sh" "${builds[@]}"; then
  echo "== build failed"
  failed=$((failed + 1))
  close
fi

suite() {  # suite NAME BUILD_DIR [CTEST ARGS...]
  local name=$1 dir=$2
  shift 2
  echo "== $name"
  local cases
  cases=$(mktemp -d)
  local output="xml:$cases/"
  # Windows programs take a Windows path; Wine shows the root as Z:.
  [ -f "$dir/CMakeCache.txt" ] && grep -q '^CMAKE_SYSTEM_NAME:.*=Windows' "$dir/CMakeCache.txt" &&
    output="xml:Z:$cases/"
  GTEST_OUTPUT=$output PSL_CASE_DIR=$cases ctest --test-dir "$dir" --output-on-failure --timeout 900 "$@" 2>&1 |
    tee "$cases/ctest.log" | grep -vE '^ +Start |^Test project|^$'
  local counted
  counted=$(psl_count_cases "$cases")
  rm -rf "$cases"
  read -r p f s <<<"$counted"
  echo "   $p passed, $f failed, $s skipped"
  passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
  last_suite_cases=$((p + f + s))
}
one() {  # one NAME COMMAND...: a test that counts as one case
  echo "== $1"
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

suite "native unit tests" "$top/build/native" -j"$(nproc)"
suite "native unit tests under ASan+UBSan" "$top/build/native-asan" -j"$(nproc)"
suite "Windows and end-to-end tests under 64-bit Wine" "$top/build/win64" -j"$(nproc)"
if why=$(psl_why_no_win32); then
  # The same tests from the same sources as the 64-bit suite just ran.
  echo "== Windows and end-to-end tests under 32-bit Wine: $last_suite_cases skipped, since $why"
  skipped=$((skipped + last_suite_cases))
else
  suite "Windows and end-to-end tests under 32-bit Wine" "$top/build/win32" -j"$(nproc)"
fi
if [ $extended = 1 ]; then
  suite "native unit tests under ThreadSanitizer" "$top/build/native-tsan" -j"$(nproc)"
  one "fuzzers, bounded" bash "$top/scripts/fuzz.sh"
  one "release files: unsigned twice, signed once, installed under 64-bit Wine" \
    bash "$top/tests/release/package_test.sh"
  one "soak: 200 captures with uploads under 64-bit Wine" \
    bash "$top/scripts/wine-run.sh" --arch win64 --mode compositor --timeout 1800 --own-loopback \
    bash "$top/tests/e2e/soak_test.sh" "$top/build/win64" 200
  bash "$top/scripts/bench.sh"
fi

formatted() {
  local unformatted
  unformatted=$(cd "$top" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run 2>&1 |
    grep -E '^[^ ].*: (error|warning):' | cut -d: -f1 | sort -u)
  if [ -n "$unformatted" ]; then
    echo "format: these files differ from clang-format:"
    echo "$unformatted"
    return 1
  fi
  echo "format: clean"
}
one "format" formatted
close
