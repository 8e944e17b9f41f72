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
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wineenv.sh"
exe="$build/bin/scantool.exe"
[ -f "$exe" ] || { echo "fix_bench: build first, $exe is missing" >&2; exit 1; }
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000)

ensure_prefix
wineserver -p
work=$(mktemp -d)
tag="KdxFixBench_$$"
cleanup() {
  if [ -f "$work/remove.reg" ]; then
    wine regedit /S "$(winpath "$work/remove.reg")" || true
  fi
  rm -rf "$work"
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }
seconds() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

mkdir -p "$work/tool"
cp "$exe" "$work/tool/scantool.exe"

# Writes plant.reg and remove.reg for n broken classes.
make_reg_files() {
  python3 - "$1" "$tag" "$work" <<'PY'
import sys, uuid
n, tag, work = int(sys.argv[1]), sys.argv[2], sys.argv[3]
plant = ["REGEDIT4", ""]
remove = ["REGEDIT4", ""]
for i in range(n):
    key = "HKEY_CLASSES_ROOT\\CLSID\\{%s}" % str(uuid.uuid4()).upper()
    plant += ["[%s\\InprocServer32]" % key, '@="C:\\\\%s\\\\missing%d.dll"' % (tag, i),
              '"ThreadingModel"="Apartment"', ""]
    remove += ["[-%s]" % key, ""]
with open(work + "/plant.reg", "w", newline="\r\n") as f:
    f.write("\n".join(plant) + "\n")
with open(work + "/remove.reg", "w", newline="\r\n") as f:
    f.write("\n".join(remove) + "\n")
PY
}

printf '%-8s %26s %22s %28s %14s %14s\n' "planted" "scantool fix (fix only, s)" "scantool run (s)" \
  "wine regedit /E HKCR\\CLSID (s)" "backup (KB)" "export (KB)"
for n in "${sizes[@]}"; do
  make_reg_files "$n"
  wine regedit /S "$(winpath "$work/plant.reg")"
  first=$(sed -n '3p' "$work/plant.reg" | tr -d '\r[]')
  wine reg query "${first/HKEY_CLASSES_ROOT/HKCR}" >/dev/null 2>&1 || { echo "fix_bench: planting failed" >&2; exit 1; }

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

  wine regedit /S "$(winpath "$work/remove.reg")"
  rm -f "$work/remove.reg" "$work"/tool/Backup/*.reg "$work/export.reg"
done
