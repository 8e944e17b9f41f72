#!/usr/bin/env bash
# Benchmark (not a test): plants N broken COM classes (a missing server file)
# under HKEY_CLASSES_ROOT\CLSID of the build folder's Wine prefix, and times
# the fix of them by scantool.exe ("fix --only <tag> 0": back up to a .reg
# file, then delete each class's InprocServer32 key) beside its peer, `wine regedit /E`
# exporting HKEY_CLASSES_ROOT\CLSID, which holds the same keys (and the
# prefix's own classes): RUNS alternated runs per size (the classes planted
# anew for each), every row with both figures and their ratio, and the peak
# working set of the scan of the N problems and of the fix. The first run of
# each size scans five times in one process and shows the working set after
# each scan: it must not grow. scantool runs from a copy in a temporary
# folder, so its backups and logs go there. Leftover planted classes are removed.
#
# usage: KELDRIX_BUILD=<build folder> bash bench/fix_bench.sh [N ...]
#        (default N: 1000 10000; RUNS=<runs> alternated runs per size, default 3)
# Build first (scripts/build.sh); scantool.exe is taken from <build>/bin.
set -euo pipefail
tag="KdxFixBench_$$"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
runs=${RUNS:-3}

mkdir -p "$work/tool"
cp "$exe" "$work/tool/scantool.exe"

# A field of the scantool output line that starts with $1.
field() { grep -P "^$1\t" "$work/lines.txt" | tail -n 1 | cut -f"$2"; }

printf '%-8s %4s %16s %30s %7s %12s %12s %14s %14s\n' "planted" "run" "scantool fix (s)" \
  "peer: regedit /E HKCR\\CLSID (s)" "ratio" "backup (KB)" "export (KB)" "scan peak (KB)" "fix peak (KB)"
for n in "${sizes[@]}"; do
  for run in $(seq "$runs"); do
    plant_classes "$n" 1
    rounds=1
    [ "$run" -ne 1 ] || rounds=5

    start=$(now_ms)
    wine regedit /E "$(winpath "$work/export.reg")" 'HKEY_CLASSES_ROOT\CLSID'
    t_export=$(($(now_ms) - start))

    wine "$work/tool/scantool.exe" fix --rounds "$rounds" --only "$tag" 0 >"$work/out.txt"
    tr -d '\r' <"$work/out.txt" >"$work/lines.txt"
    t_fix=$(field fixtime 2)
    fixed=$(field fixed 2)
    backup=$(du -k "$work"/tool/Backup/*.reg | awk '{ s += $1 } END { print s + 0 }')
    exported=$(du -k "$work/export.reg" | cut -f1)
    printf '%-8s %4s %16s %30s %7s %12s %12s %14s %14s\n' "$n" "$run" "$(seconds "$t_fix")" \
      "$(seconds "$t_export")" "$(ratio "$t_fix" "$t_export")" "$backup" "$exported" \
      "$(field "memory\tscan $rounds" 4)" "$(field "memory\tfix" 4)"
    if [ "$rounds" -gt 1 ]; then
      printf '%-8s      working set after each of %d scans in one process (KB): %s\n' "$n" "$rounds" \
        "$(grep -P '^memory\tscan' "$work/lines.txt" | cut -f3 | tr '\n' ' ')"
    fi
    [ "$fixed" -eq "$n" ] || echo "fix_bench: $fixed of $n planted classes fixed" >&2

    remove_classes
    rm -f "$work"/tool/Backup/*.reg "$work/export.reg"
  done
done
