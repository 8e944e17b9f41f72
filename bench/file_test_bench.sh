#!/usr/bin/env bash
# The cost of a missing-file test under Wine beside that of a per-scan cache of
# folder listings (one listing of a large folder, then a look-up per test).
# Needs file_test_bench.exe built. Usage: bench/file_test_bench.sh [calls]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" file_test_bench.exe
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p
wine "$exe" "${1:-2000}" | tr -d '\r'
