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

archives=("$out/empty.zip" "$out/small/SystemInfo.zip" "$out/large/SystemInfo.zip" "$out/multi.zip"
          "$out/replaced.zip" "$out/held.zip" "$out/sub/nested.zip" "$out"/sizes/*.zip)
[ ${#archives[@]} -eq 13 ] || fail "expected 6 packed sizes, got: $(ls "$out/sizes")"
for zip in "${archives[@]}" "$out/none.zip"; do
  [ -f "$zip" ] || fail "missing $zip"
  [ "$zip" = "$out/none.zip" ] || unzip -tq "$zip" >/dev/null || fail "unzip -t rejects $zip"
done
# CRCs and sizes, every packed file's bytes and name, the writer's dates, comments and methods.
python3 - "$out" <<'PY' || fail "zipfile rejects an archive"
import glob, os, sys, zipfile
out = sys.argv[1]
def entries(path):
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            sys.exit("bad CRC in %s of %s" % (bad, path))
        return z.comment, [(i, z.read(i)) for i in z.infolist()]
for path in glob.glob(out + "/**/*.zip", recursive=True):
    entries(path)
for log in glob.glob(out + "/sizes/*.log"):
    _, e = entries(log[:-4] + ".zip")
    if [(i.filename, i.compress_type, i.date_time, d) for i, d in e] != \
       [(os.path.basename(log), 8, (1980, 0, 0, 0, 0, 0), open(log, "rb").read())]:
        sys.exit("wrong entry for " + log)
for name, want in (("replaced", [("replaced.log", b"new")]), ("held", [("held.lo2", b"held")]),
                   ("sub/nested", [("nested.log", b"nested")]), ("none", [])):
    if [(i.filename, d) for i, d in entries("%s/%s.zip" % (out, name))[1]] != want:
        sys.exit("wrong entries in " + name)
comment, e = entries(out + "/multi.zip")
got = [(i.filename, i.compress_type, i.date_time, i.comment, d) for i, d in e]
if comment != b"two entries" or got != [
        ("stored.txt", 0, (2025, 12, 5, 12, 0, 0), b"entry comment", b"stored text\n"),
        ("deflated.txt", 8, (1980, 0, 0, 0, 0, 0), b"", b"k" * 200000)]:
    sys.exit("multi.zip holds %r %r" % (comment, got))
PY

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

echo "check_archives: ${#archives[@]} archives and 2 logs well-formed"
