#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
source "$root/scripts/wineenv.sh"
ensure_prefix
exec xvfb-run -a -s "-screen 0 1024x768x24 -wr" bash "$root/scripts/ctest-in-wine.sh" "$@"
