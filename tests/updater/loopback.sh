#!/usr/bin/env bash
# Runs AutoUpdate.dll's tests against the loopback update server. The test
# program and the library run from a copy in a temporary folder, because the
# program-update test swaps that copy for a new build.
#   loopback.sh autoupdate_dll_tests.exe AutoUpdate.dll
set -euo pipefail
exe=${1:?usage: loopback.sh autoupdate_dll_tests.exe AutoUpdate.dll}
dll=${2:?usage: loopback.sh autoupdate_dll_tests.exe AutoUpdate.dll}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "loopback: $*" >&2; exit 1; }

cp "$exe" "$work/autoupdate_dll_tests.exe"
cp "$dll" "$work/AutoUpdate.dll"
# The "new build": the same program with bytes of its own after the image.
cp "$exe" "$work/served.exe"
printf 'KELDRIX-NEW-BUILD' >>"$work/served.exe"

python3 "$here/update_server.py" "$work/port" "$work/served.exe" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  sleep 0.1
done
[ -s "$work/port" ] || fail "the server did not start"
export KELDRIX_TEST_UPDATE_HOST="127.0.0.1:$(cat "$work/port")"
export KELDRIX_TEST_PROGRAM_COPY=1

wine "$work/autoupdate_dll_tests.exe" --gtest_filter='-*NextStart*' || fail "the library's tests failed"
cmp -s "$work/autoupdate_dll_tests.exe" "$work/served.exe" || fail "the new build is not in the program's place"
cmp -s "$work/autoupdate_dll_tests.exe.old" "$exe" || fail "the old build was not kept as .old"
# The next start: the new build runs and the old one goes.
wine "$work/autoupdate_dll_tests.exe" --gtest_filter='*NextStart*' || fail "the next start failed"
[ ! -e "$work/autoupdate_dll_tests.exe.old" ] || fail "the old build is still there after the next start"
echo "loopback: all checks passed"
