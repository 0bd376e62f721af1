#!/usr/bin/env bash
# The bounded fuzzing run of test.sh --extended: each fuzzer of build/fuzz for
# PSL_FUZZ_SECONDS (default 60) seconds; fails on any finding.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exec bash "$top/fuzz/run.sh" "${PSL_FUZZ_SECONDS:-60}" "$top/build/fuzz"
