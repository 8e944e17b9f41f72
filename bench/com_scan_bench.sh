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
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wineenv.sh"
exe="$build/bin/scantool.exe"
[ -f "$exe" ] || { echo "com_scan_bench: build first, $exe is missing" >&2; exit 1; }
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
repeat=${REPEAT:-1}

ensure_prefix
wineserver -p
work=$(mktemp -d)
tag="KdxBench_$$"
cleanup() {
  if [ -f "$work/remove.reg" ]; then
    wine regedit /S "$(winpath "$work/remove.reg")" || true
  fi
  rm -rf "$work"
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }
# Best wall time of $repeat runs of a command, in seconds; its output of the
# last run stays in $work/last.txt.
best_time() {
  local best="" start t
  for _ in $(seq "$repeat"); do
    start=$(date +%s%N)
    "$@" >"$work/last.txt"
    t=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  printf '%d.%02d' $((best / 1000)) $((best % 1000 / 10))
}

# Writes plant.reg and remove.reg for n classes, the odd ones broken.
make_reg_files() {
  python3 - "$1" "$tag" "$work" <<'PY'
import sys, uuid
n, tag, work = int(sys.argv[1]), sys.argv[2], sys.argv[3]
plant = ["REGEDIT4", ""]
remove = ["REGEDIT4", ""]
for i in range(n):
    key = "HKEY_CLASSES_ROOT\\CLSID\\{%s}" % str(uuid.uuid4()).upper()
    if i % 2:
        server = "C:\\\\%s\\\\missing%d.dll" % (tag, i)
    else:
        server = "C:\\\\windows\\\\system32\\\\kernel32.dll"
    plant += ["[%s\\InprocServer32]" % key, '@="%s"' % server, ""]
    remove += ["[-%s]" % key, ""]
with open(work + "/plant.reg", "w", newline="\r\n") as f:
    f.write("\n".join(plant) + "\n")
with open(work + "/remove.reg", "w", newline="\r\n") as f:
    f.write("\n".join(remove) + "\n")
PY
}

scan() { wine "$exe" scan 0; }
query() { wine reg query 'HKCR\CLSID' /s; }

printf '%-14s %8s %22s %30s %10s\n' "planted" "broken" "scantool scan 0 (s)" "wine reg query HKCR\\CLSID /s (s)" "found"
base_scan=$(best_time scan)
base_found=$(tail -n 1 "$work/last.txt" | cut -f2)
base_query=$(best_time query)
printf '%-14s %8s %22s %30s %10s\n' "0 (prefix)" 0 "$base_scan" "$base_query" "$base_found"

for n in "${sizes[@]}"; do
  make_reg_files "$n"
  wine regedit /S "$(winpath "$work/plant.reg")"
  first=$(sed -n '3p' "$work/plant.reg" | tr -d '\r[]')
  wine reg query "${first/HKEY_CLASSES_ROOT/HKCR}" >/dev/null 2>&1 || { echo "com_scan_bench: planting failed" >&2; exit 1; }

  t_scan=$(best_time scan)
  found=$(grep -c "$tag" "$work/last.txt" || true)
  t_query=$(best_time query)
  printf '%-14s %8s %22s %30s %10s\n' "$n" $((n / 2)) "$t_scan" "$t_query" "$found"
  [ "$found" -eq $((n / 2)) ] || echo "com_scan_bench: expected $((n / 2)) planted problems, found $found" >&2

  wine regedit /S "$(winpath "$work/remove.reg")"
  rm -f "$work/remove.reg"
done
