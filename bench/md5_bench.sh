#!/usr/bin/env bash
# MD5 throughput of the log's digest routine (under Wine) against md5sum, on
# the same 200 MB file, side by side; also checks that both digests agree.
# Needs md5_bench.exe built (the bench folder added to the build).
# Usage: bench/md5_bench.sh [size in MB]   (build folder: $KELDRIX_BUILD or build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wineenv.sh"
exe="$build/bin/md5_bench.exe"
[ -f "$exe" ] || { echo "md5_bench: build md5_bench first ($exe is missing)" >&2; exit 1; }
ensure_prefix
megabytes=${1:-200}

work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
sample="$work/sample.bin"
head -c "$((megabytes * 1024 * 1024))" /dev/urandom >"$sample"
wineserver -p

# Warm the page cache so both readers start alike.
cat "$sample" >/dev/null

read -r ours seconds rate < <(wine "$exe" "Z:${sample//\//\\}" | tr -d '\r')
start=$(date +%s.%N)
theirs=$(md5sum "$sample" | cut -d' ' -f1)
stop=$(date +%s.%N)
md5sum_seconds=$(echo "$stop - $start" | bc -l)
md5sum_rate=$(echo "$megabytes / $md5sum_seconds" | bc -l)

printf '%-22s %-34s %10s %10s\n' "reader" "digest" "seconds" "MB/s"
printf '%-22s %-34s %10.3f %10.1f\n' "CMD5::GetFileDigest" "$ours" "$seconds" "$rate"
printf '%-22s %-34s %10.3f %10.1f\n' "md5sum" "$theirs" "$md5sum_seconds" "$md5sum_rate"
if [ "$ours" != "$theirs" ]; then
  echo "md5_bench: the digests differ" >&2
  exit 1
fi
echo "md5_bench: digests agree on ${megabytes} MB"
