#!/usr/bin/env bash
# Runs ctest with a persistent wineserver and the Task Scheduler service up.
# Called by test.sh inside the virtual display.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wineenv.sh"
export KELDRIX_SOURCE="$root"
wineserver -p
trap 'wineserver -k 2>/dev/null' EXIT
wine net start schedule >/dev/null 2>&1 || true
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
