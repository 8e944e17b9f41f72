#!/usr/bin/env bash
# Benchmark (not a test): plants N broken COM classes (a missing server file)
# under HKEY_CLASSES_ROOT\CLSID of the build folder's Wine prefix, and times
# the fix of them by scantool.exe ("fix --only <tag> 0": back up to a .reg
# file, then delete each class's InprocServer32 key) beside `wine regedit /E`
# exporting HKEY_CLASSES_ROOT\CLSID, which holds the same keys (and the
# prefix's own classes). scantool runs from a copy in a temporary folder, so
# its backups and logs go there. Leftover planted classes are removed.
#
# usage: KELDRIX_BUILD=<build folder> bash bench/fix_bench.sh [N ...]   (default N: 10000)
# Build first (scripts/build.sh); scantool.exe is taken from <build>/bin.
set -euo pipefail
tag="KdxFixBench_$$"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000)

mkdir -p "$work/tool"
cp "$exe" "$work/tool/scantool.exe"

printf '%-8s %26s %22s %28s %14s %14s\n' "planted" "scantool fix (fix only, s)" "scantool run (s)" \
  "wine regedit /E HKCR\\CLSID (s)" "backup (KB)" "export (KB)"
for n in "${sizes[@]}"; do
  plant_classes "$n" 1

  start=$(now_ms)
  wine regedit /E "$(winpath "$work/export.reg")" 'HKEY_CLASSES_ROOT\CLSID'
  t_export=$(($(now_ms) - start))

  start=$(now_ms)
  wine "$work/tool/scantool.exe" fix --only "$tag" 0 >"$work/out.txt"
  t_run=$(($(now_ms) - start))
  tr -d '\r' <"$work/out.txt" >"$work/lines.txt"
  t_fix=$(grep $'^fixtime\t' "$work/lines.txt" | cut -f2)
  fixed=$(grep $'^fixed\t' "$work/lines.txt" | cut -f2)
  backup=$(du -k "$work"/tool/Backup/*.reg | awk '{ s += $1 } END { print s + 0 }')
  exported=$(du -k "$work/export.reg" | cut -f1)
  printf '%-8s %26s %22s %28s %14s %14s\n' "$n" "$(seconds "$t_fix")" "$(seconds "$t_run")" \
    "$(seconds "$t_export")" "$backup" "$exported"
  [ "$fixed" -eq "$n" ] || echo "fix_bench: $fixed of $n planted classes fixed" >&2

  remove_classes
  rm -f "$work"/tool/Backup/*.reg "$work/export.reg"
done
