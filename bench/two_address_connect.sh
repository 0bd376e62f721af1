#!/usr/bin/env bash
# What a first address that never answers adds to an exchange: psl version
# to a name with two addresses, [::1] (a listener whose backlog is full, so
# that a connect is neither accepted nor refused) and then 127.0.0.1 (the
# reference service), against the same service named by its address, in
# turns in one run. Network and mount namespaces of the benchmark's own give
# it that hosts file (root only).
#   two_address_connect.sh RUNS
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
if [ -z "${PSL_BENCH_NETNS:-}" ]; then
  if ! unshare -n -m true 2>/dev/null; then
    echo "(no namespaces allowed here: the two-address connect is not measured)"
    exit 0
  fi
  PSL_BENCH_NETNS=1 exec unshare -n -m -- bash "$0" "$@"
fi
ip link set lo up
source "$top/scripts/config.sh"
work=$(mktemp -d)
port=38080
printf '::1 %s\n127.0.0.1 %s\n' "$PSL_TEST_NAMED_HOST" "$PSL_TEST_NAMED_HOST" >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts
bash "$top/scripts/service.sh" start "$port" "$work/storage" || exit 1
printf '1.0' >"$work/storage/ver.txt"
/usr/bin/python3 "$top/scripts/silent-listener.py" ::1 "$port" >/dev/null &
silent=$!
sleep 0.5
psl="$top/build/native/tools/psl/psl"
milliseconds() {  # milliseconds HOST: one psl version, its wall time
  local started=$(date +%s%N)
  "$psl" version --noproxy --host "$1" >/dev/null || echo "psl version --host $1 failed" >&2
  echo $((($(date +%s%N) - started) / 1000000))
}
direct=() named=()
for _ in $(seq "$runs"); do
  direct+=("$(milliseconds "127.0.0.1:$port")")
  named+=("$(milliseconds "$PSL_TEST_NAMED_HOST:$port")")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
d=$(median "${direct[@]}") n=$(median "${named[@]}")
printf 'psl version, median of %d: direct %d ms, two addresses (first never answers) %d ms, extra %d ms (goal: under 400 ms)\n' \
  "$runs" "$d" "$n" $((n - d))
kill "$silent"
bash "$top/scripts/service.sh" stop "$work/storage"
umount /etc/hosts
rm -rf "$work"
