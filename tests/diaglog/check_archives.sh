#!/usr/bin/env bash
# Has the diaglog test program write sample logs and archives under Wine, then
# judges them with the Linux tools: unzip -t, Python's zipfile CRC check, and
# xmllint on every extracted log. Argument: the path of diaglog_tests.exe.
set -euo pipefail
exe=${1:?usage: check_archives.sh diaglog_tests.exe}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Wine's Z: drive is the Linux root.
KELDRIX_ARCHIVE_OUT="Z:${out//\//\\}" wine "$exe" --gtest_filter='ArchiveSamples.*' >"$out/run.txt" 2>&1 || {
  cat "$out/run.txt"
  exit 1
}

fail() { echo "check_archives: $*" >&2; exit 1; }

archives=("$out/empty.zip" "$out/small/SystemInfo.zip" "$out/large/SystemInfo.zip" "$out/multi.zip")
for zip in "${archives[@]}"; do
  [ -f "$zip" ] || fail "missing $zip"
  unzip -tq "$zip" >/dev/null || fail "unzip -t rejects $zip"
  python3 - "$zip" <<'PY' || fail "zipfile rejects $1"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad is not None:
        sys.exit("bad CRC in " + bad)
    for info in z.infolist():
        if len(z.read(info)) != info.file_size:
            sys.exit("wrong size of " + info.filename)
PY
done

[ "$(unzip -Z1 "$out/empty.zip")" = "empty.log" ] || fail "empty.zip holds the wrong entry"
[ "$(unzip -p "$out/empty.zip" empty.log | wc -c)" -eq 0 ] || fail "empty.log is not empty"

for dir in small large; do
  log="$out/$dir/SystemInfo.log"
  [ ! -e "$log" ] || fail "the plain $dir log was not removed"
  unzip -p "$out/$dir/SystemInfo.zip" SystemInfo.log >"$log"
  xmllint --noout "$log" || fail "$dir log is not well-formed"
done

# The hostile value comes back decoded, its control byte as "?", its letter as UTF-8.
small="$out/small/SystemInfo.log"
expected=$(printf 'a&b<c"d'"'"'e?f>g\xc3\xa9')
for xpath in 'string(//IgnoredItem/@valuename)' 'string(//FoundItem[1]/@value)'; do
  got=$(xmllint --xpath "$xpath" "$small")
  [ "$got" = "$expected" ] || fail "$xpath gives '$got', not '$expected'"
done
got=$(xmllint --xpath 'string(//SysInfo/@Working-Dir)' "$small")
[ "$got" = 'C:\Program Files\K&K <Tools>\' ] || fail "Working-Dir gives '$got'"
[ "$(xmllint --xpath 'count(//ScanDetectedItems/FoundItem)' "$out/large/SystemInfo.log")" = 20000 ] ||
  fail "the large log lost items"

echo "check_archives: 4 archives and 2 logs well-formed"
