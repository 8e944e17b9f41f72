#!/usr/bin/env bash
# Benchmark (not a test): plants N COM classes under HKEY_CLASSES_ROOT\CLSID of
# the build folder's Wine prefix, half of them with a missing server file, and
# times a scan of category 0 by scantool.exe beside `wine reg query
# HKCR\CLSID /s` on the same prefix. The planted classes are removed again.
#
# usage: KELDRIX_BUILD=<build folder> bash bench/com_scan_bench.sh [N ...]
#        (default N: 1000 10000; REPEAT=<runs> takes the best of several runs)
# Build first (scripts/build.sh); scantool.exe is taken from <build>/bin.
set -euo pipefail
tag="KdxBench_$$"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
repeat=${REPEAT:-1}

# Best wall time of $repeat runs of a command, in seconds; its output of the
# last run stays in $work/last.txt.
best_time() {
  local best="" start t
  for _ in $(seq "$repeat"); do
    start=$(now_ms)
    "$@" >"$work/last.txt"
    t=$(($(now_ms) - start))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  seconds "$best"
}

scan() { wine "$exe" scan 0; }
query() { wine reg query 'HKCR\CLSID' /s; }

printf '%-14s %8s %22s %30s %10s\n' "planted" "broken" "scantool scan 0 (s)" "wine reg query HKCR\\CLSID /s (s)" "found"
base_scan=$(best_time scan)
base_found=$(tail -n 1 "$work/last.txt" | cut -f2)
base_query=$(best_time query)
printf '%-14s %8s %22s %30s %10s\n' "0 (prefix)" 0 "$base_scan" "$base_query" "$base_found"

for n in "${sizes[@]}"; do
  plant_classes "$n" 2
  t_scan=$(best_time scan)
  found=$(grep -c "$tag" "$work/last.txt" || true)
  t_query=$(best_time query)
  printf '%-14s %8s %22s %30s %10s\n' "$n" $((n / 2)) "$t_scan" "$t_query" "$found"
  [ "$found" -eq $((n / 2)) ] || echo "com_scan_bench: expected $((n / 2)) planted problems, found $found" >&2
  remove_classes
done
