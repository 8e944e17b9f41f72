#!/usr/bin/env bash
# Plants a folder tree with Linux symbolic links in it (Wine shows them as
# reparse points): one to a folder outside the tree and one to the root of
# the file system. Then has the diaglog test program walk the tree under Wine
# and check that neither link is entered. Argument: the path of
# diaglog_tests.exe.
set -euo pipefail
exe=${1:?usage: check_folder_links.sh diaglog_tests.exe}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

mkdir -p "$out/walk/sub" "$out/outside"
# The 63 sample bytes of the test helpers: byte i is (131 i + 7 (i >> 8) + 13) mod 256.
python3 -c '
import sys
sys.stdout.buffer.write(bytes(((i * 131 + (i >> 8) * 7 + 13) & 0xFF) for i in range(63)))
' >"$out/walk/sub/inside.bin"
[ "$(md5sum <"$out/walk/sub/inside.bin" | cut -d' ' -f1)" = 0dd0ac145f67d5079d5fefae73875d1c ] || {
  echo "check_folder_links: sample bytes differ from the test's" >&2
  exit 1
}
echo outside >"$out/outside/outside.bin"
ln -s "$out/outside" "$out/walk/linked"
ln -s / "$out/walk/root"

# Wine's Z: drive is the Linux root.
if ! KELDRIX_LINK_WALK="Z:${out//\//\\}\\walk" timeout 240 wine "$exe" --gtest_filter='FolderLinks.*' \
    >"$out/run.txt" 2>&1; then
  cat "$out/run.txt"
  exit 1
fi
grep -q '\[  PASSED  \] 1 test' "$out/run.txt" || {
  cat "$out/run.txt"
  exit 1
}
echo "check_folder_links: linked folders were not entered"
