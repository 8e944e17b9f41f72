#!/usr/bin/env bash
# Benchmark (not a test): plants N COM classes under HKEY_CLASSES_ROOT\CLSID of
# the build folder's Wine prefix, half of them with a missing server file, and
# times a scan of category 0 by scantool.exe beside its peer, `wine reg query
# HKCR\CLSID /s`, on the same prefix: RUNS alternated runs of each, every row
# with both figures and their ratio. The planted classes are removed again.
#
# usage: KELDRIX_BUILD=<build folder> bash bench/com_scan_bench.sh [N ...]
#        (default N: 1000 10000; RUNS=<runs> alternated runs per size, default 3)
# Build first (scripts/build.sh); scantool.exe is taken from <build>/bin.
set -euo pipefail
tag="KdxBench_$$"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
runs=${RUNS:-3}

# Wall time of a command in ms; its output stays in $work/last.txt.
time_ms() {
  local start
  start=$(now_ms)
  "$@" >"$work/last.txt"
  echo $(($(now_ms) - start))
}

scan() { wine "$exe" scan 0; }
query() { wine reg query 'HKCR\CLSID' /s; }

printf '%-10s %4s %20s %34s %8s %8s\n' "planted" "run" "scantool scan 0 (s)" "peer: wine reg query HKCR\\CLSID /s (s)" "ratio" "found"
for n in 0 "${sizes[@]}"; do
  [ "$n" -eq 0 ] || plant_classes "$n" 2
  for run in $(seq "$runs"); do
    t_scan=$(time_ms scan)
    found=$(grep -c "$tag" "$work/last.txt" || true)
    t_query=$(time_ms query)
    printf '%-10s %4s %20s %34s %8s %8s\n' "$n" "$run" "$(seconds "$t_scan")" "$(seconds "$t_query")" \
      "$(ratio "$t_scan" "$t_query")" "$found"
    [ "$found" -eq $((n / 2)) ] || echo "com_scan_bench: expected $((n / 2)) planted problems, found $found" >&2
  done
  [ "$n" -eq 0 ] || remove_classes
done
