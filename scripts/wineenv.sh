# Sourced: the Wine environment of the build folder's own 32-bit prefix.
# Sets WINEPREFIX and friends and makes sure the prefix is healthy.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KELDRIX_BUILD:-$root/build}
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8

prefix_healthy() {
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.keldrix-ready" ] || return 1
  grep -q '^#arch=win32' "$WINEPREFIX/system.reg" || return 1
  local out
  out=$(timeout 120 wine cmd /c echo keldrix-ok 2>/dev/null | tr -d '\r') || return 1
  [ "$out" = "keldrix-ok" ]
}

ensure_prefix() {
  if ! prefix_healthy; then
    echo "wine: creating a fresh 32-bit prefix in $WINEPREFIX"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$build"
    timeout 300 wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.keldrix-ready"
    prefix_healthy || return 1
  fi
  # Wine's own Tahoma (fonts-wine) has Windows' Tahoma metrics: with it the
  # dialog font gives Windows' base units (6 x 13 at 8 points), for which the
  # skins are drawn. Without it "Tahoma" falls back to Liberation Sans (6 x 12).
  local font
  for font in tahoma.ttf tahomabd.ttf; do
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  # The check may have run without a display: stop its server, or the next
  # wine start reuses its desktop, which has no display driver for windows.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
