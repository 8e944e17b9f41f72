#!/usr/bin/env bash
# Sets up, builds and starts Keldrix.exe under Wine in the build folder's prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
source "$root/scripts/wineenv.sh"
exe="$build/bin/Keldrix.exe"
if [ ! -f "$exe" ]; then
  echo "Keldrix.exe is not built yet: the application window is still to come." >&2
  echo "The engine and its tests are in place: run scripts/test.sh." >&2
  exit 1
fi
ensure_prefix
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is unset); start from a desktop session." >&2
  exit 1
fi
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
