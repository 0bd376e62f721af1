#!/usr/bin/env bash
# Runs every test suite: the native unit tests (plain and under ASan+UBSan),
# the Windows tests and the end-to-end tests under 64-bit Wine and, where the
# host executes 32-bit code, under 32-bit Wine, and the format check.
#   test.sh              all of the above
#   test.sh --extended   also ThreadSanitizer, the fuzzers (bounded), a soak of 200
#                        captures under 64-bit Wine and the benchmarks
# Installs what is missing and builds incrementally first; the 32-bit build is
# compiled everywhere. Where its tests cannot run, one line says why and they
# count as skipped. PSL_NO_32BIT=1 takes that path on any host.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-arch.sh"
extended=0
[ "${1:-}" = --extended ] && extended=1

bash "$top/scripts/setup.sh" || exit 1
builds=(native asan win64 win32)
[ $extended = 1 ] && builds+=(tsan fuzz)
bash "$top/scripts/build.sh" "${builds[@]}" || exit 1

passed=0 failed=0 skipped=0
suite() {  # suite NAME BUILD_DIR [CTEST ARGS...]
  local name=$1 dir=$2
  shift 2
  echo "== $name"
  local log
  log=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure --timeout 900 "$@" 2>&1 | tee "$log" | grep -vE '^ +Start |^Test project|^$'
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  rm -f "$log"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local total bad
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

suite "native unit tests" "$top/build/native" -j"$(nproc)"
suite "native unit tests under ASan+UBSan" "$top/build/native-asan" -j"$(nproc)"
suite "Windows and end-to-end tests under 64-bit Wine" "$top/build/win64" -j"$(nproc)"
if why=$(psl_why_no_win32); then
  count=$(ctest --test-dir "$top/build/win32" -N | sed -n 's/^Total Tests: //p')
  echo "== Windows and end-to-end tests under 32-bit Wine: ${count:-0} skipped, since $why"
  skipped=$((skipped + ${count:-0}))
else
  suite "Windows and end-to-end tests under 32-bit Wine" "$top/build/win32" -j"$(nproc)"
fi
if [ $extended = 1 ]; then
  suite "native unit tests under ThreadSanitizer" "$top/build/native-tsan" -j"$(nproc)"
  [ -x "$top/scripts/fuzz.sh" ] && { bash "$top/scripts/fuzz.sh" && passed=$((passed + 1)) || failed=$((failed + 1)); }
  echo "== soak: 200 captures with uploads under 64-bit Wine"
  if bash "$top/scripts/wine-run.sh" --arch win64 --mode compositor --timeout 1800 --own-loopback \
    bash "$top/tests/e2e/soak_test.sh" "$top/build/win64" 200; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  [ -x "$top/scripts/bench.sh" ] && bash "$top/scripts/bench.sh"
fi

echo "== format"
unformatted=$(cd "$top" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run 2>&1 | grep -E '^[^ ].*: (error|warning):' | cut -d: -f1 | sort -u)
if [ -n "$unformatted" ]; then
  echo "format: these files differ from clang-format:"
  echo "$unformatted"
  failed=$((failed + 1))
else
  echo "format: clean"
  passed=$((passed + 1))
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
