#!/usr/bin/env bash
# The benchmarks of test.sh --extended; each prints its figures side by side
# with its reference measured in the same run. PSL_BENCH_ARCH=win32 times the
# 32-bit Windows build under Wine instead of the 64-bit one.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
echo "== JPEG encoding: TJPEGImage, direct libjpeg, cjpeg"
"$top/build/native/bench/jpeg_bench" 5
echo "== upload: psl against curl, to a loopback sink"
"$top/build/native/bench/upload_bench" 5 2
echo "== release to link on the clipboard, under Wine (${PSL_BENCH_ARCH:-win64})"
bash "$top/bench/capture_upload_timing.sh" 5
