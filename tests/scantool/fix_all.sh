#!/usr/bin/env bash
# scantool end to end for the fix. Plants broken entries of every category
# (beside healthy ones, all named with one unique token) in the prefix's
# registry and on a small drive of their own, runs a copy of scantool.exe from
# that drive with "fix --only <token>" over all eleven categories, and checks:
# every planted fault is reported and gone, nothing else of the planted
# subtrees changed (their `reg export` before and after, less the faults),
# the counts agree, the .reg backup restores the faults exactly through
# `regedit /S`, the moved shortcut is in the rename log, and the after-fix log
# is zipped, well-formed and lists the found items cleaned and the ignored
# item. Only problems carrying the token are ever selected for repair.
# Argument: the path of scantool.exe. WINEPREFIX names the test prefix.
set -euo pipefail
exe=${1:?usage: fix_all.sh scantool.exe}
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
work=$(mktemp -d)
drive=""
d=""
token="KdxFix$$x$RANDOM"
guid="{$(tr 'a-z' 'A-Z' </proc/sys/kernel/random/uuid)}"
gone="C:\\KdxGone_$token"
fail() { echo "fix_all: $*" >&2; exit 1; }

cleanup() {
  set +e
  plant_cleanup
  if [ -n "$drive" ]; then rm -f "$WINEPREFIX/dosdevices/$drive:"; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The drive: the program folder, a target for healthy entries and the shortcuts.
tree="$work/drive"
mkdir -p "$tree/Keldrix"
cp "$exe" "$tree/Keldrix/scantool.exe"
source "$(dirname "${BASH_SOURCE[0]}")/lib/drive.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib/plant.sh"
map_drive "$tree" k l m n o p || fail "no free drive letter in $WINEPREFIX/dosdevices"
d="${drive^^}:"
unixpath() { local p=${1#"$d"}; printf '%s%s' "$tree" "${p//\\//}"; }
plant_all || fail "the plants are missing"

# One broken font is on the ignore list: it must be neither reported nor removed.
printf '2\r\n%s\\%s_ign (TrueType)|%s_ign.ttf\r\n' "$fonts" "$token" "$token" >"$tree/Keldrix/ignorelist.dat"

snapshot before
[ -s "$work/before/uninstbad.txt" ] && [ -s "$work/before/fonts.txt" ] || fail "the snapshots are empty"

start=$(date +%s%N)
timeout 280 wine "$d\\Keldrix\\scantool.exe" fix --only "$token" 0 1 2 3 4 5 6 7 8 9 10 >"$work/out.txt" 2>"$work/err.txt" \
  || { cat "$work/out.txt" "$work/err.txt" >&2; fail "scantool fix failed"; }
ms=$((($(date +%s%N) - start) / 1000000))
tr -d '\r' <"$work/out.txt" >"$work/lines.txt"

# Every planted fault is reported; nothing healthy or ignored is.
sid=$(wine reg query HKEY_USERS | tr -d '\r' | grep -o 'S-1-5-21-[0-9-]*$' | head -n 1)
[ -n "$sid" ] || fail "no user hive under HKEY_USERS"
t=$'\t'
expected=(
  "0${t}HKEY_CLASSES_ROOT\\CLSID\\$guid\\InprocServer32${t}(Default)${t}$gone\\x.dll"
  "1${t}$uninstall${t}${token}_bad${t}\"$gone\\uninst.exe\" /x"
  "2${t}$fonts${t}${token}_bad (TrueType)${t}${token}_bad.ttf"
  "3${t}$shared${t}$gone\\shared.dll${t}"
  "4${t}$apppaths${t}${token}_bad.exe${t}$gone\\app.exe"
  "5${t}$help${t}${token}_bad.hlp${t}$gone"
  "6${t}$machinerun${t}${token}_bad${t}\"$gone\\machine.exe\""
  "6${t}$userrun${t}${token}_bad${t}\"$gone\\run.exe\" /min"
  "8${t}$d\\Menu\\${token}_bad.lnk${t}$d\\Gone\\x.exe${t}$d\\Gone\\x.exe"
  "9${t}HKEY_USERS\\$sid\\Software\\${token}_e\\empty${t}(Default)${t}"
  "10${t}HKEY_CLASSES_ROOT\\.$token${t}(Default)${t}${token}file"
)
for line in "${expected[@]}"; do
  grep -qixF "$line" "$work/lines.txt" || { cat "$work/lines.txt" >&2; fail "missing line: $line"; }
done
for line in "7${t}HKEY_LOCAL_MACHINE\\Software\\${token}_fp${t}bad${t}$gone\\file.txt" \
  "7${t}HKEY_USERS\\$sid\\Software\\${token}_fp${t}bad${t}$gone\\file.txt"; do
  grep -qixF "$line" "$work/lines.txt" || { cat "$work/lines.txt" >&2; fail "missing line: $line"; }
done
grep -F "$token" "$work/lines.txt" | grep -E "${token}_ok|${token}ok|_ign|${token}file\\\\|${token}_e\\\\full|${token}_e${t}" \
  && fail "healthy or ignored entries were reported"

# Every problem of this test (the only ones selected) was fixed, per category.
found=$(grep -E '^[0-9]+'"$t" "$work/lines.txt" | grep -F "$token" | cut -f1 | sort -n | uniq -c)
fixedline=$(grep "^fixed$t" "$work/lines.txt") || fail "no fixed line"
for category in 0 1 2 3 4 5 6 7 8 9 10; do
  want=$(awk -v c="$category" '$2 == c { print $1 }' <<<"$found")
  got=$(cut -f$((category + 2)) <<<"$fixedline")
  [ "${want:-0}" -ge 1 ] || fail "category $category found nothing of this test"
  [ "$got" = "$want" ] || fail "category $category: $got fixed of $want found"
done

# Nothing else of the planted subtrees changed.
snapshot after
expect_changes before after || fail "the fix changed more than the faults"

# The backup files share one name; the shortcut moved into the rename folder.
backup=$(grep "^backup$t" "$work/lines.txt" | cut -f2)
renamelog=$(grep "^renamelog$t" "$work/lines.txt" | cut -f2)
[ "${backup%.reg}" = "${renamelog%.bak}" ] || fail "the backup files do not pair: $backup $renamelog"
[[ "$backup" == "$d\\Keldrix\\Backup\\KeldrixBak_"*.reg ]] || fail "backup in the wrong place: $backup"
head -n 1 "$(unixpath "$backup")" | grep -qx $'Windows Registry Editor Version 5.00\r' || fail "backup header"
renamefolder=${renamelog%.bak}
[ "$(cat "$(unixpath "$renamelog")")" = "$d\\Menu\\${token}_bad.lnk,$renamefolder\\${token}_bad.lnk"$'\r' ] \
  || { cat "$(unixpath "$renamelog")" >&2; fail "rename log"; }
[ -f "$(unixpath "$renamefolder\\${token}_bad.lnk")" ] && [ ! -e "$tree/Menu/${token}_bad.lnk" ] \
  && [ -f "$tree/Menu/${token}_ok.lnk" ] || fail "the shortcuts are not where they belong"

# The backup restores exactly what was removed.
wine regedit /S "$backup"
snapshot restored
for entry in "${snapshots[@]}"; do
  name=${entry%%|*}
  diff -u "$work/before/$name.txt" "$work/restored/$name.txt" >&2 || fail "$name is not restored exactly"
done

# The after-fix log: zipped, well-formed, the found items cleaned, the ignored one listed.
zips=("$tree"/Keldrix/Logs/Keldrix-*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || fail "not one log archive: ${zips[*]}"
ls "$tree"/Keldrix/Logs/*.log >/dev/null 2>&1 && fail "a plain log was left beside its archive"
unzip -p "${zips[0]}" >"$work/log.xml" || fail "the log archive does not unpack"
xmllint --noout "$work/log.xml" || fail "the log is not well-formed"
ours=$(grep -c "<FoundItem .*$token" "$work/log.xml" || true)
cleaned=$(grep "<FoundItem .*$token" "$work/log.xml" | grep -c 'checkedforcleaning="yes" cleaned="yes"/>' || true)
problems=$(grep -E '^[0-9]+'"$t" "$work/lines.txt" | grep -c "$token")
[ "$ours" -eq "$problems" ] && [ "$cleaned" -eq "$problems" ] || fail "log: $cleaned of $ours items cleaned, $problems found"
grep -qF "valuename=\"${token}_ign.ttf\" type=\"Font Entries\"/>" "$work/log.xml" || fail "the ignored item is not in the log"

# A fix with nothing selected leaves no new backup files.
ls "$tree/Keldrix/Backup" >"$work/backup-before.txt"
wine "$d\\Keldrix\\scantool.exe" fix --only "nothing-$token" >/dev/null 2>"$work/err.txt" \
  || { cat "$work/err.txt" >&2; fail "an empty fix failed"; }
ls "$tree/Keldrix/Backup" | diff -u "$work/backup-before.txt" - >&2 || fail "an empty fix left backup files"
for args in "fix --only" "fix 11" "fix --only x 0 12"; do
  # shellcheck disable=SC2086
  rc=0; wine "$d\\Keldrix\\scantool.exe" $args >/dev/null 2>&1 || rc=$?
  [ "$rc" -eq 2 ] || fail "'scantool $args' exited with $rc, not 2"
done
echo "fix_all: $problems planted problems fixed in $ms ms (scan and fix), restored exactly from $backup"
