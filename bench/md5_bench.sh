#!/usr/bin/env bash
# MD5 throughput of the log's digest routine (under Wine) against its peer,
# md5sum, on the same file: RUNS alternated runs (default 3), each row with
# both rates and their ratio; also checks that the digests agree.
# Needs md5_bench.exe built (the bench folder added to the build).
# Usage: bench/md5_bench.sh [size in MB]   (build folder: $KELDRIX_BUILD or build/)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" md5_bench.exe
megabytes=${1:-200}
runs=${RUNS:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
sample="$work/sample.bin"
head -c "$((megabytes * 1024 * 1024))" /dev/urandom >"$sample"
wineserver -p

# Warm the page cache so both readers start alike.
cat "$sample" >/dev/null

printf '%-4s %-34s %18s %14s %8s\n' "run" "digest" "CMD5 (MB/s)" "md5sum (MB/s)" "ratio"
for run in $(seq "$runs"); do
  read -r ours _ rate < <(wine "$exe" "Z:${sample//\//\\}" | tr -d '\r')
  start=$(date +%s.%N)
  theirs=$(md5sum "$sample" | cut -d' ' -f1)
  stop=$(date +%s.%N)
  md5sum_rate=$(echo "$megabytes / ($stop - $start)" | bc -l)
  printf '%-4s %-34s %18.1f %14.1f %8.2f\n' "$run" "$ours" "$rate" "$md5sum_rate" \
    "$(echo "$rate / $md5sum_rate" | bc -l)"
  if [ "$ours" != "$theirs" ]; then
    echo "md5_bench: the digests differ ($ours, md5sum $theirs)" >&2
    exit 1
  fi
done
echo "md5_bench: digests agree on ${megabytes} MB"
