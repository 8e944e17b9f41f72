#!/usr/bin/env bash
# scantool end to end for the program shortcut scan, which walks the drive
# the program runs from. Maps a small folder tree as a drive of the Wine
# prefix, makes shortcuts on it through the system's script host, runs a copy
# of scantool.exe from that drive and checks its lines: broken shortcuts are
# reported with their full paths and targets, a healthy one is not, nothing
# under a folder named SendTo is examined, an upper-case .LNK is not examined,
# and the walk ends although the tree holds a link back to itself and a link
# to the root of the file system.
# Argument: the path of scantool.exe. WINEPREFIX names the test prefix.
set -euo pipefail
exe=${1:?usage: scan_shortcuts.sh scantool.exe}
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
work=$(mktemp -d)
drive=""
cleanup() {
  if [ -n "$drive" ]; then rm -f "$WINEPREFIX/dosdevices/$drive:"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "scan_shortcuts: $*" >&2; exit 1; }

tree="$work/drive"
mkdir -p "$tree/Keldrix" "$tree/Apps" "$tree/Menu/Group" "$tree/Menu/SendTo" "$tree/Deep/a/b/c/d" "$tree/Loop" \
  "$work/outside"
cp "$exe" "$tree/Keldrix/scantool.exe"
echo app >"$tree/Apps/app.exe"
ln -s "$tree/Loop" "$tree/Loop/again"  # leads back to its own folder
ln -s / "$tree/Root"                   # the whole file system
ln -s "$work/outside" "$tree/Outside"  # a folder off the drive

source "$(dirname "${BASH_SOURCE[0]}")/lib/drive.sh"
map_drive "$tree" q r s t u v w x y || fail "no free drive letter in $WINEPREFIX/dosdevices"
d="${drive^^}:"

# Shortcuts, made by the script host's shell object: "link path" "target".
{
  printf 'Set shell = CreateObject("WScript.Shell")\r\n'
  while read -r link target; do
    printf 'Set link = shell.CreateShortcut("%s")\r\nlink.TargetPath = "%s"\r\nlink.Save\r\n' "$link" "$target"
  done <<EOF
$d\\Menu\\Group\\Broken.lnk $d\\Gone\\gone.exe
$d\\Menu\\Group\\Healthy.lnk $d\\Apps\\app.exe
$d\\Menu\\Group\\upper.lnk $d\\Gone\\upper.exe
$d\\Menu\\SendTo\\InSendTo.lnk $d\\Gone\\sendto.exe
$d\\Deep\\a\\b\\c\\d\\DeepBroken.lnk $d\\Gone\\deep.exe
$d\\Loop\\InLoop.lnk $d\\Gone\\loop.exe
$d\\Outside\\Outside.lnk $d\\Gone\\outside.exe
EOF
} >"$work/make.vbs"
wine cscript //nologo "Z:${work//\//\\}\\make.vbs" >"$work/make.txt" 2>&1 \
  || { cat "$work/make.txt" >&2; fail "cscript failed"; }
for link in Menu/Group/Broken.lnk Menu/Group/Healthy.lnk Menu/Group/upper.lnk Menu/SendTo/InSendTo.lnk \
  Deep/a/b/c/d/DeepBroken.lnk Loop/InLoop.lnk; do
  [ -s "$tree/$link" ] || fail "the shortcut $link was not made"
done
[ -s "$work/outside/Outside.lnk" ] || fail "the shortcut outside the drive was not made"
mv "$tree/Menu/Group/upper.lnk" "$tree/Menu/Group/UPPER.LNK"

start=$(date +%s%N)
timeout 240 wine "$d\\Keldrix\\scantool.exe" scan 8 >"$work/out.txt" 2>"$work/err.txt" \
  || { cat "$work/err.txt" >&2; fail "scantool failed or did not end"; }
ms=$((($(date +%s%N) - start) / 1000000))

tab=$'\t'
expected=(
  "8${tab}$d\\Menu\\Group\\Broken.lnk${tab}$d\\Gone\\gone.exe${tab}$d\\Gone\\gone.exe"
  "8${tab}$d\\Deep\\a\\b\\c\\d\\DeepBroken.lnk${tab}$d\\Gone\\deep.exe${tab}$d\\Gone\\deep.exe"
  "8${tab}$d\\Loop\\InLoop.lnk${tab}$d\\Gone\\loop.exe${tab}$d\\Gone\\loop.exe"
)
for line in "${expected[@]}"; do
  grep -qxF "$line" "$work/out.txt" || { cat "$work/out.txt" >&2; fail "missing line: $line"; }
done
# Nothing else: not the healthy, upper-case, send-to or outside shortcuts,
# and nothing twice through the loop.
[ "$(grep -c "^8${tab}" "$work/out.txt")" -eq "${#expected[@]}" ] \
  || { cat "$work/out.txt" >&2; fail "other lines"; }
counts="counts${tab}0${tab}0${tab}0${tab}0${tab}0${tab}0${tab}0${tab}0${tab}${#expected[@]}${tab}0${tab}0"
[ "$(tail -n 1 "$work/out.txt")" = "$counts" ] \
  || { cat "$work/out.txt" >&2; fail "wrong counts line"; }
echo "scan_shortcuts: the ${#expected[@]} broken shortcuts of drive $d found in $ms ms, nothing else"
