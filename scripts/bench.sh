#!/usr/bin/env bash
# The benchmarks of test.sh --extended; each prints its figures side by side
# with its reference measured in the same run. PSL_BENCH_ARCH=win32 times the
# 32-bit Windows build under Wine instead of the 64-bit one.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
echo "== JPEG encoding: TJPEGImage, direct libjpeg, cjpeg; psl encode against cjpeg"
"$top/build/native/bench/jpeg_bench" 5
echo "== upload: psl against curl, to a loopback sink, plain, both through one squid, and over HTTPS through one nginx"
# Both tools trust the test authority through the system's bundle, in a mount
# namespace of this benchmark's own; psl has no other way to be told of it.
ca="$top/build/bench-ca"
bash "$top/scripts/test-ca.sh" "$ca"
# 41 runs at 100 MiB: on a shared machine the median of 15 still moves by a tenth.
if unshare -m true 2>/dev/null; then
  PSL_BENCH_TLS=$ca unshare -m -- bash -c 'mount --bind "$0" /etc/ssl/certs/ca-certificates.crt && exec "$@"' \
    "$ca/bundle.crt" "$top/build/native/bench/upload_bench" 15 41
else
  echo "(no mount namespace allowed here: plain HTTP only)"
  "$top/build/native/bench/upload_bench" 15 41
fi
echo "== connect: a name whose first address never answers against the address itself"
bash "$top/bench/two_address_connect.sh" 15
arch=${PSL_BENCH_ARCH:-win64}
echo "== release to link on the clipboard, and the idle program, under Wine ($arch)"
bash "$top/bench/capture_upload_timing.sh" 5
echo "== where the grab's time goes, under Wine ($arch)"
PSL_WINE_SCREEN=1600x1000 bash "$top/scripts/wine-run.sh" --arch "$arch" --mode compositor --timeout 300 \
  "$top/build/$arch/bench/psl_grab_bench.exe" 9
