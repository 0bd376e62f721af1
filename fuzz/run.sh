#!/usr/bin/env bash
# Runs each fuzzer (reply parser, text extraction, picture reader, TLS client) for a bounded time on a scratch copy of
# its seed corpus and prints executions and findings.
#   fuzz/run.sh [SECONDS] [BUILD_DIR]    (defaults: 60, build/fuzz)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$(cd "${2:-$top/build/fuzz}" && pwd)
status=0
for name in reply extract picture tls; do
  exe="$build/fuzz/${name}_fuzzer"
  [ -x "$exe" ] || { echo "fuzz: $exe is missing (scripts/build.sh fuzz)" >&2; status=1; continue; }
  work=$(mktemp -d)
  cp "$top/fuzz/corpus/$name/"* "$work/" 2>/dev/null
  dict=()
  [ -f "$top/fuzz/$name.dict" ] && dict=(-dict="$top/fuzz/$name.dict")
  log="$work.log"
  (cd "$work" && "$exe" "${dict[@]}" -max_total_time="$seconds" -max_len=20000 -rss_limit_mb=1024 \
    -print_final_stats=1 "$work" >"$log" 2>&1)
  rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1)
  crashes=$(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null | wc -l)
  echo "fuzz $name: ${runs:-?} executions in ${seconds}s, ${cov:-cov: ?}, corpus $(ls "$work" | wc -l) inputs, findings: $crashes (exit $rc)"
  if [ "$rc" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    status=1
    grep -E 'ERROR|SUMMARY|==[0-9]+==' "$log" | head -n 20
    mkdir -p "$build/fuzz-findings"
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$build/fuzz-findings/" 2>/dev/null
  fi
  rm -rf "$work" "$log"
done
exit $status
