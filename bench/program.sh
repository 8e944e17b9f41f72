# Sourced by the benchmarks with the file name of their program in <build>/bin:
# the build folder's Wine prefix, made healthy, and $exe, the program, which
# must have been built.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wineenv.sh"
exe="$build/bin/$1"
[ -f "$exe" ] || { echo "$(basename "$0"): build first, $exe is missing" >&2; exit 1; }
ensure_prefix
