#!/usr/bin/env bash
# CTest's emulator: runs a test under Wine in the build folder's own prefix,
# never in ~/.wine.
#   wine-emulator.sh BUILD_DIR PROGRAM.exe [ARGS...]   runs the program with wine
#   wine-emulator.sh BUILD_DIR COMMAND [ARGS...]       runs a test script that calls wine
# With WINEPREFIX unset (ctest started by hand) it takes the build's Wine
# environment; with WINEPREFIX set to any other prefix it refuses to run.
set -uo pipefail
if [ $# -lt 2 ]; then
    echo "usage: wine-emulator.sh BUILD_DIR PROGRAM [ARGS...]" >&2
    exit 2
fi
build=$(realpath -m "$1")
shift
own="$build/wineprefix"
if [ -z "${WINEPREFIX:-}" ]; then
    export KELDRIX_BUILD="$build"
    source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/wineenv.sh"
fi
if [ "$(realpath -m "$WINEPREFIX")" != "$own" ]; then
    echo "wine-emulator: refusing to run: WINEPREFIX is $WINEPREFIX, not this build's prefix $own." >&2
    echo "Run the tests with scripts/test.sh, or unset WINEPREFIX (or source scripts/wineenv.sh) before ctest." >&2
    exit 1
fi
if [ ! -f "$own/.keldrix-ready" ]; then
    echo "wine-emulator: the build's Wine prefix $own is not set up; run scripts/test.sh once to make it." >&2
    exit 1
fi
case $1 in
*.exe | *.EXE) exec wine "$@" ;;
*) exec "$@" ;;
esac
