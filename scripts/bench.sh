#!/usr/bin/env bash
# The benchmarks of test.sh --extended; each prints its figures side by side
# with its reference measured in the same run. PSL_BENCH_ARCH=win32 times the
# 32-bit Windows build under Wine instead of the 64-bit one.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
echo "== JPEG encoding: TJPEGImage, direct libjpeg, cjpeg; psl encode against cjpeg"
"$top/build/native/bench/jpeg_bench" 5
echo "== upload: psl against curl, to a loopback sink"
# 41 runs at 100 MiB: on a shared machine the median of 15 still moves by a tenth.
"$top/build/native/bench/upload_bench" 15 41
arch=${PSL_BENCH_ARCH:-win64}
echo "== release to link on the clipboard, and the idle program, under Wine ($arch)"
bash "$top/bench/capture_upload_timing.sh" 5
echo "== where the grab's time goes, under Wine ($arch)"
PSL_WINE_SCREEN=1600x1000 bash "$top/scripts/wine-run.sh" --arch "$arch" --mode compositor --timeout 300 \
  "$top/build/$arch/bench/psl_grab_bench.exe" 9
