#!/usr/bin/env bash
# Installs Keldrix into a Wine prefix the way its installer would: Keldrix.exe,
# AutoUpdate.dll and every file the program reads beside it in
# C:\Program Files\Keldrix, and our whitelist in the common application-data
# folder (keldrix\whitelist.dat). "--remove" takes both away again.
#   install.sh [--remove] BUILD_DIR      (WINEPREFIX names the prefix)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
remove=0
if [ "${1:-}" == --remove ]; then remove=1; shift; fi
build=${1:?usage: install.sh [--remove] BUILD_DIR}
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
prog="$WINEPREFIX/drive_c/Program Files/Keldrix"

# The common application-data folder as the prefix names it (C:\ProgramData).
appdata=$(wine cmd /c 'echo %ProgramData%' 2>/dev/null | tr -d '\r')
[[ $appdata == [A-Za-z]:\\* ]] || appdata='C:\ProgramData'
appdata=$(winepath -u "$appdata" 2>/dev/null)
appdata=${appdata%/}
[ -n "$appdata" ] || { echo "install: no common application-data folder in $WINEPREFIX" >&2; exit 1; }

if ((remove)); then
  rm -rf "$prog" "$appdata/keldrix"
  exit 0
fi

# The build lists the files of an installation, one name a line, in install-files.txt.
manifest="$build/install-files.txt"
[ -s "$manifest" ] || { echo "install: $manifest is missing: build first" >&2; exit 1; }
rm -rf "$prog"
mkdir -p "$prog" "$appdata/keldrix"
while IFS= read -r name; do
  [ -n "$name" ] || continue
  cp "$build/bin/$name" "$prog/" || { echo "install: $name is missing from $build/bin" >&2; exit 1; }
done <"$manifest"
# The program's text files have CR LF line ends.
sed 's/\r*$/\r/' "$root/res/whitelist.dat" >"$appdata/keldrix/whitelist.dat"
