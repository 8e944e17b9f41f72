# Sourced by the benchmarks: the build folder's Wine prefix with its server up,
# a scratch folder removed at exit, and planting of COM classes by .reg file.
# The caller sets `tag` (a text unique to its planted classes) first.
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" scantool.exe
wineserver -p
work=$(mktemp -d)
cleanup() {
  if [ -f "$work/remove.reg" ]; then
    wine regedit /S "$(winpath "$work/remove.reg")" || true
  fi
  rm -rf "$work"
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
seconds() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
# ours / peer, two decimals.
ratio() { if [ "$2" -gt 0 ]; then printf '%d.%02d' $(($1 / $2)) $(($1 * 100 / $2 % 100)); else printf -- '-'; fi; }

# plant_classes N EVERY: imports N classes under HKCR\CLSID whose server file
# is missing for every EVERY-th one (1: all broken, 2: the odd ones); leaves
# remove.reg in $work for remove_classes.
plant_classes() {
  python3 - "$1" "$2" "$tag" "$work" <<'PY'
import sys, uuid
n, every, tag, work = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
plant = ["REGEDIT4", ""]
remove = ["REGEDIT4", ""]
for i in range(n):
    key = "HKEY_CLASSES_ROOT\\CLSID\\{%s}" % str(uuid.uuid4()).upper()
    if i % every == every - 1:
        server = "C:\\\\%s\\\\missing%d.dll" % (tag, i)
    else:
        server = "C:\\\\windows\\\\system32\\\\kernel32.dll"
    plant += ["[%s\\InprocServer32]" % key, '@="%s"' % server, '"ThreadingModel"="Apartment"', ""]
    remove += ["[-%s]" % key, ""]
with open(work + "/plant.reg", "w", newline="\r\n") as f:
    f.write("\n".join(plant) + "\n")
with open(work + "/remove.reg", "w", newline="\r\n") as f:
    f.write("\n".join(remove) + "\n")
PY
  wine regedit /S "$(winpath "$work/plant.reg")"
  # regedit exits 0 whatever happened: look for the first planted key.
  local first
  first=$(sed -n '3p' "$work/plant.reg" | tr -d '\r[]')
  wine reg query "${first/HKEY_CLASSES_ROOT/HKCR}" >/dev/null 2>&1 || { echo "$(basename "$0"): planting failed" >&2; exit 1; }
}

remove_classes() {
  wine regedit /S "$(winpath "$work/remove.reg")"
  rm -f "$work/remove.reg"
}
