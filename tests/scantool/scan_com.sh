#!/usr/bin/env bash
# scantool end to end: plants a broken and a healthy COM class (unique GUIDs)
# through the system's registry editor, scans category 0 with scantool.exe and
# checks its lines: the broken class is reported with the exact texts, the
# healthy one is not, and the counts line agrees with the problem lines.
# Argument: the path of scantool.exe.
set -euo pipefail
exe=${1:?usage: scan_com.sh scantool.exe}
work=$(mktemp -d)
guid() { tr 'a-z' 'A-Z' </proc/sys/kernel/random/uuid; }
bad="{$(guid)}"
good="{$(guid)}"
gone="C:\\KdxGone_$$_$RANDOM"

cleanup() {
  wine reg delete "HKCR\\CLSID\\$bad" /f >/dev/null 2>&1 || true
  wine reg delete "HKCR\\CLSID\\$good" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "scan_com: $*" >&2; exit 1; }

# .reg strings escape backslashes and quotes.
escape() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\r\n@="%s"\r\n\r\n' "$bad" "$(escape "\"$gone\\x.dll\"")"
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\DefaultIcon]\r\n@="%s"\r\n\r\n' "$bad" "$(escape "$gone\\icon.ico,4")"
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\r\n@="%s"\r\n\r\n' "$good" 'C:\\windows\\system32\\kernel32.dll'
  printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\DefaultIcon]\r\n@="%s"\r\n\r\n' "$good" 'C:\\windows\\system32\\shell32.dll,3'
} >"$work/plant.reg"
wine regedit /S "Z:${work//\//\\}\\plant.reg"
# regedit reports success even when it imported nothing: read the keys back.
wine reg query "HKCR\\CLSID\\$bad\\InprocServer32" >/dev/null 2>&1 || fail "the broken class was not planted"
wine reg query "HKCR\\CLSID\\$good\\DefaultIcon" >/dev/null 2>&1 || fail "the healthy class was not planted"

wine "$exe" scan 0 >"$work/out.txt" 2>"$work/err.txt" || { cat "$work/err.txt" >&2; fail "scantool failed"; }

tab=$'\t'
expect_line() {
  grep -qxF "$1" "$work/out.txt" || { cat "$work/out.txt" >&2; fail "missing line: $1"; }
}
expect_line "0${tab}HKEY_CLASSES_ROOT\\CLSID\\$bad\\InprocServer32${tab}(Default)${tab}$gone\\x.dll"
expect_line "0${tab}HKEY_CLASSES_ROOT\\CLSID\\$bad\\DefaultIcon${tab}(Default)${tab}$gone\\icon.ico"
[ "$(grep -cF "$bad" "$work/out.txt")" -eq 2 ] || fail "the broken class gave other lines too"
! grep -qF "$good" "$work/out.txt" || fail "the healthy class was reported"

# The last line holds the eleven counts; category 0's equals its problem lines.
counts=$(tail -n 1 "$work/out.txt")
[ "$(printf '%s' "$counts" | cut -f1)" = counts ] || fail "no counts line: $counts"
[ "$(printf '%s' "$counts" | awk -F'\t' '{print NF}')" -eq 12 ] || fail "the counts line has not eleven counts: $counts"
lines=$(grep -c "^0${tab}" "$work/out.txt" || true)
[ "$(printf '%s' "$counts" | cut -f2)" -eq "$lines" ] || fail "count of category 0 is not $lines: $counts"
[ "$(wc -l <"$work/out.txt")" -eq $((lines + 1)) ] || fail "lines of other categories in a scan of category 0"
echo "scan_com: $lines problem(s) in category 0, the planted ones as expected"
