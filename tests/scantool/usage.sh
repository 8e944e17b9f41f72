#!/usr/bin/env bash
# scantool end to end: a scan of no category prints only zero counts; wrong
# arguments are refused with exit code 2. Argument: the path of scantool.exe.
set -uo pipefail
exe=${1:?usage: usage.sh scantool.exe}
fail() { echo "usage: $*" >&2; exit 1; }

out=$(wine "$exe" scan) || fail "a scan of no category failed"
expected=$(printf 'counts\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0')
[ "$out" = "$expected" ] || fail "a scan of no category printed: $out"

for args in "" "scan 11" "scan -1" "scan 1x" "scan 3 abc" "clean 0"; do
  # shellcheck disable=SC2086
  wine "$exe" $args >/dev/null 2>&1
  rc=$?
  [ "$rc" -eq 2 ] || fail "'scantool $args' exited with $rc, not 2"
done
echo "usage: refusals and the empty scan as expected"
