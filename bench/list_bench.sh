#!/usr/bin/env bash
# The results list with N problems in eleven groups (default 1000 and 10000):
# fill, opening every group, the first paint, a key press and a wheel step
# (each with its repaint), and the peak working set; RUNS runs (default 3).
# Needs list_bench.exe built. Windows need a display: runs under xvfb-run.
# Usage: bench/list_bench.sh [N ...]   (build folder: $KELDRIX_BUILD or build/)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" list_bench.exe
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
runs=${RUNS:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in "${sizes[@]}"; do
  for run in $(seq "$runs"); do
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'wine "$1" "$2"; wineserver -k' _ "$exe" "$n" \
      | tr -d '\r' >"$work/out.txt"
    printf '%-7s run %s: %s\n' "$n" "$run" "$(awk -F'\t' '{ printf "%s %s %s; ", $1, $2, $3 }' "$work/out.txt")"
  done
done
