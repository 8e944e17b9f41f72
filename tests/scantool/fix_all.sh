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

cv='Software\Microsoft\Windows\CurrentVersion'
fonts='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts'
shared="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"
help='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\HELP'
uninstall="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
apppaths="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"
userrun="HKEY_CURRENT_USER\\$cv\\Run"
machinerun="HKEY_LOCAL_MACHINE\\$cv\\Run"

# Shared keys a fresh prefix may lack: removed at the end when this test made them and they are empty again.
made_keys=()
for key in "$shared" "$help"; do
  wine reg query "$key" >/dev/null 2>&1 || made_keys+=("$key")
done

cleanup() {
  set +e
  for key in "HKEY_CLASSES_ROOT\\CLSID\\$guid" "HKEY_CLASSES_ROOT\\.$token" "HKEY_CLASSES_ROOT\\${token}file" \
    "HKEY_CLASSES_ROOT\\.${token}ok" "HKEY_CLASSES_ROOT\\${token}okfile" "$uninstall\\${token}_bad" \
    "$uninstall\\${token}_ok" "$apppaths\\${token}_bad.exe" "$apppaths\\${token}_ok.exe" \
    "HKEY_LOCAL_MACHINE\\Software\\${token}_fp" "HKEY_CURRENT_USER\\Software\\${token}_fp" \
    "HKEY_CURRENT_USER\\Software\\${token}_e"; do
    wine reg delete "$key" /f >/dev/null 2>&1
  done
  for entry in "$fonts|${token}_bad (TrueType)" "$fonts|${token}_ok (TrueType)" "$fonts|${token}_ign (TrueType)" \
    "$shared|$gone\\shared.dll" "$shared|$d\\Apps\\${token}_ok.dll" "$help|${token}_bad.hlp" \
    "$help|${token}_ok.hlp" "$userrun|${token}_bad" "$userrun|${token}_ok" "$machinerun|${token}_bad"; do
    wine reg delete "${entry%%|*}" /v "${entry#*|}" /f >/dev/null 2>&1
  done
  for key in "${made_keys[@]}"; do
    [ "$(wine reg query "$key" /s 2>/dev/null | tr -d '\r' | grep -c .)" -le 1 ] && wine reg delete "$key" /f >/dev/null 2>&1
  done
  if [ -n "$drive" ]; then rm -f "$WINEPREFIX/dosdevices/$drive:"; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The drive: the program folder, a target for healthy entries and the shortcuts.
tree="$work/drive"
mkdir -p "$tree/Keldrix" "$tree/Apps" "$tree/Menu"
cp "$exe" "$tree/Keldrix/scantool.exe"
echo app >"$tree/Apps/app.exe"
echo dll >"$tree/Apps/${token}_ok.dll"
echo hlp >"$tree/Apps/${token}_ok.hlp"
source "$(dirname "${BASH_SOURCE[0]}")/lib/drive.sh"
map_drive "$tree" k l m n o p || fail "no free drive letter in $WINEPREFIX/dosdevices"
d="${drive^^}:"
unixpath() { local p=${1#"$d"}; printf '%s%s' "$tree" "${p//\\//}"; }

# .reg strings escape backslashes and quotes.
esc() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s]\r\n@="Keldrix test class %s"\r\n\r\n' "$guid" "$token"
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\r\n@="%s"\r\n"ThreadingModel"="Both"\r\n\r\n' "$guid" \
    "$(esc "\"$gone\\x.dll\"")"
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\DefaultIcon]\r\n@="C:\\\\windows\\\\system32\\\\shell32.dll,3"\r\n\r\n' "$guid"
  printf '[HKEY_CLASSES_ROOT\\.%s]\r\n@="%sfile"\r\n"Content Type"="text/x-keldrix"\r\n\r\n' "$token" "$token"
  printf '[HKEY_CLASSES_ROOT\\%sfile\\shell\\open\\command]\r\n@="%s"\r\n\r\n' "$token" \
    "$(esc "\"$gone\\assoc.exe\" \"%1\"")"
  printf '[HKEY_CLASSES_ROOT\\.%sok]\r\n@="%sokfile"\r\n\r\n' "$token" "$token"
  printf '[HKEY_CLASSES_ROOT\\%sokfile\\shell\\open\\command]\r\n@="%s"\r\n\r\n' "$token" \
    "$(esc "\"$d\\Apps\\app.exe\" \"%1\"")"
  printf '[%s\\%s_bad]\r\n"DisplayName"="Keldrix test %s"\r\n"UninstallString"="%s"\r\n' "$uninstall" "$token" \
    "$token" "$(esc "\"$gone\\uninst.exe\" /x")"
  printf '"EstimatedSize"=dword:00000010\r\n"Blob"=hex:01,02,ff\r\n"Expand"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,00\r\n\r\n'
  printf '[%s\\%s_bad\\Sub]\r\n"v"="1"\r\n\r\n' "$uninstall" "$token"
  printf '[%s\\%s_ok]\r\n"UninstallString"="%s"\r\n\r\n' "$uninstall" "$token" "$(esc "\"$d\\Apps\\app.exe\" /x")"
  printf '[%s]\r\n"%s_bad (TrueType)"="%s_bad.ttf"\r\n"%s_ok (TrueType)"="%s"\r\n"%s_ign (TrueType)"="%s_ign.ttf"\r\n\r\n' \
    "$fonts" "$token" "$token" "$token" "$(esc "$d\\Apps\\app.exe")" "$token" "$token"
  printf '[%s]\r\n"%s"=dword:00000001\r\n"%s"=dword:00000002\r\n\r\n' "$shared" "$(esc "$gone\\shared.dll")" \
    "$(esc "$d\\Apps\\${token}_ok.dll")"
  printf '[%s\\%s_bad.exe]\r\n@="%s"\r\n"Path"="%s"\r\n\r\n' "$apppaths" "$token" "$(esc "$gone\\app.exe")" "$(esc "$gone")"
  printf '[%s\\%s_ok.exe]\r\n@="%s"\r\n\r\n' "$apppaths" "$token" "$(esc "$d\\Apps\\app.exe")"
  printf '[%s]\r\n"%s_bad.hlp"="%s"\r\n"%s_ok.hlp"="%s"\r\n\r\n' "$help" "$token" "$(esc "$gone")" "$token" \
    "$(esc "$d\\Apps")"
  printf '[%s]\r\n"%s_bad"="%s"\r\n"%s_ok"="%s"\r\n\r\n' "$userrun" "$token" "$(esc "\"$gone\\run.exe\" /min")" \
    "$token" "$(esc "\"$d\\Apps\\app.exe\" /min")"
  printf '[%s]\r\n"%s_bad"="%s"\r\n\r\n' "$machinerun" "$token" "$(esc "\"$gone\\machine.exe\"")"
  for root in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
    printf '[%s\\Software\\%s_fp]\r\n"bad"="%s"\r\n"ok"="%s"\r\n"num"=dword:00000005\r\n\r\n' "$root" "$token" \
      "$(esc "$gone\\file.txt")" "$(esc "$d\\Apps\\app.exe")"
  done
  printf '[HKEY_CURRENT_USER\\Software\\%s_e]\r\n"keep"="1"\r\n\r\n' "$token"
  printf '[HKEY_CURRENT_USER\\Software\\%s_e\\empty]\r\n\r\n' "$token"
  printf '[HKEY_CURRENT_USER\\Software\\%s_e\\full]\r\n"v"="1"\r\n\r\n' "$token"
} >"$work/plant.reg"
wine regedit /S "Z:${work//\//\\}\\plant.reg"
wine reg query "HKEY_CURRENT_USER\\Software\\${token}_e\\empty" >/dev/null 2>&1 || fail "the registry plants are missing"

# Shortcuts, made by the script host's shell object.
{
  printf 'Set shell = CreateObject("WScript.Shell")\r\n'
  printf 'Set link = shell.CreateShortcut("%s")\r\nlink.TargetPath = "%s"\r\nlink.Save\r\n' \
    "$d\\Menu\\${token}_bad.lnk" "$d\\Gone\\x.exe" "$d\\Menu\\${token}_ok.lnk" "$d\\Apps\\app.exe"
} >"$work/links.vbs"
wine cscript //nologo "Z:${work//\//\\}\\links.vbs" >"$work/links.txt" 2>&1 || { cat "$work/links.txt" >&2; fail "cscript failed"; }
[ -s "$tree/Menu/${token}_bad.lnk" ] && [ -s "$tree/Menu/${token}_ok.lnk" ] \
  || { cat "$work/links.txt" >&2; ls -la "$tree/Menu" "$WINEPREFIX/dosdevices" >&2; fail "the shortcuts were not made"; }

# One broken font is on the ignore list: it must be neither reported nor removed.
printf '2\r\n%s\\%s_ign (TrueType)|%s_ign.ttf\r\n' "$fonts" "$token" "$token" >"$tree/Keldrix/ignorelist.dat"

# Snapshots: name|key|filter. Shared keys are cut to the lines of this test.
snapshots=(
  "clsid|HKEY_CLASSES_ROOT\\CLSID\\$guid|" "ext|HKEY_CLASSES_ROOT\\.$token|" "extclass|HKEY_CLASSES_ROOT\\${token}file|"
  "extok|HKEY_CLASSES_ROOT\\.${token}ok|" "extokclass|HKEY_CLASSES_ROOT\\${token}okfile|"
  "uninstbad|$uninstall\\${token}_bad|" "uninstok|$uninstall\\${token}_ok|" "fonts|$fonts|$token"
  "shared|$shared|$token" "appbad|$apppaths\\${token}_bad.exe|" "appok|$apppaths\\${token}_ok.exe|"
  "help|$help|$token" "userrun|$userrun|$token" "machinerun|$machinerun|$token"
  "fpmachine|HKEY_LOCAL_MACHINE\\Software\\${token}_fp|" "fpuser|HKEY_CURRENT_USER\\Software\\${token}_fp|"
  "empty|HKEY_CURRENT_USER\\Software\\${token}_e|"
)
# What the fix must take away from each snapshot (a fixed string of the lines; "" for all).
declare -A faults=(
  [clsid]='\InprocServer32]' [ext]='' [uninstbad]='' [fonts]="\"${token}_bad (TrueType)\"=" [shared]='KdxGone_'
  [appbad]='' [help]="\"${token}_bad.hlp\"=" [userrun]="\"${token}_bad\"=" [machinerun]="\"${token}_bad\"="
  [fpmachine]='|"bad"=' [fpuser]='|"bad"=' [empty]='\empty]'
)
# A reg export as sorted lines "[key]|value line", continuation lines joined.
snapshot() {
  local dir="$work/$1" entry name key filter
  mkdir -p "$dir"
  for entry in "${snapshots[@]}"; do
    IFS='|' read -r name key filter <<<"$entry"
    rm -f "$dir/$name.reg"
    wine reg export "$key" "Z:${dir//\//\\}\\$name.reg" /y >/dev/null 2>&1 || true
    if [ -f "$dir/$name.reg" ]; then
      iconv -f UTF-16 -t UTF-8 "$dir/$name.reg" | tr -d '\r' | awk '
        /^Windows Registry Editor/ || /^$/ { next }
        /^\[/ { key = $0; print key "|"; next }
        { line = $0
          while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
          print key "|" line }' | { if [ -n "$filter" ]; then grep -F "$filter" || true; else cat; fi; } | LC_ALL=C sort
    fi >"$dir/$name.txt"
  done
}
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
for entry in "${snapshots[@]}"; do
  name=${entry%%|*}
  if [ -n "${faults[$name]+set}" ]; then
    grep -v -F -e "${faults[$name]}" "$work/before/$name.txt" >"$work/before/$name.expected" || true
  else
    cp "$work/before/$name.txt" "$work/before/$name.expected"
  fi
  if [ -n "${faults[$name]+set}" ] && cmp -s "$work/before/$name.expected" "$work/before/$name.txt"; then
    fail "the snapshot $name holds no planted fault"
  fi
  diff -u "$work/before/$name.expected" "$work/after/$name.txt" >&2 || fail "$name changed otherwise than by its fault"
done

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
