#!/usr/bin/env bash
# Sets up and builds Keldrix (only the files an installation holds), installs
# it into the build folder's Wine prefix (C:\Program Files\Keldrix, as its
# installer would) and starts it from there.
#   run.sh [--no-build] [PROGRAM ARGUMENTS...]
# --no-build skips set-up and build (the build folder must hold a build).
# With no display it runs under a virtual one, waits for the "Keldrix" window,
# saves a screenshot of it into the build folder and ends the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# main_window_shot WINDOW FILE: the window as the screen shows it, with the
# program's other windows over it (the sign-up prompt). A grab of the window
# itself would show black wherever another window covers it. The windows draw
# once shown: an unpainted one is a black box (no painted window holds a solid
# black square), so the screen is taken once it has none and two agree.
main_window_shot() {
  local screen="$2.screen.png" prev="" sum black
  for _ in $(seq 1 300); do
    import -window root "$screen" 2>/dev/null || true
    sum=$(md5sum <"$screen")
    black=$(convert "$screen" -fill white +opaque black -morphology Dilate Square:8 -format '%[min]' info: 2>/dev/null) || black=0
    [ "$black" != 0 ] && [ "$sum" == "$prev" ] && break
    [ "$black" != 0 ] && prev=$sum || prev=""
    sleep 0.2
  done
  eval "$(xdotool getwindowgeometry --shell "$1")"
  convert "$screen" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  rm -f "$screen"
}

build_first=1
headless=0
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build_first=0; shift ;;
    --headless) headless=1; build_first=0; shift ;;  # run.sh itself, inside the virtual display
    --screenshot) main_window_shot "$2" "$3"; exit ;;  # WINDOW FILE: the screenshot it saves
    *) break ;;
  esac
done
if ((build_first)); then
  bash "$root/scripts/setup.sh"
  # Only what an installation holds (install-files.txt): the program, its
  # updater library and the companion files; the test command builds the rest.
  bash "$root/scripts/build.sh" Keldrix AutoUpdate keldrix_companions
fi
source "$root/scripts/wineenv.sh"
if ((headless)) || [ ! -f "$WINEPREFIX/.keldrix-ready" ]; then
  ensure_prefix
fi
bash "$root/scripts/install.sh" "$build"
exe='C:\Program Files\Keldrix\Keldrix.exe'
prog="$WINEPREFIX/drive_c/Program Files/Keldrix"

if ((headless)); then
  shot="$build/keldrix-main-window.png"
  (cd "$prog" && exec wine "$exe" "$@") >/dev/null 2>&1 &
  pid=$!
  id=""
  for _ in $(seq 1 1200); do
    id=$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null | head -1) || true
    [ -n "$id" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "run: no Keldrix window appeared within 120 s" >&2
    kill "$pid" 2>/dev/null
    exit 1
  fi
  main_window_shot "$id" "$shot"
  # A WM_CLOSE from outside ends the program as its tray menu's Exit does.
  wine taskkill /im Keldrix.exe >/dev/null 2>&1 || true
  for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "run: Keldrix ran under a virtual display; its main window is in $shot"
  echo "run: to use it, start scripts/run.sh from a desktop session (with DISPLAY set)."
  exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "run: no display (DISPLAY is unset) and no xvfb-run; start from a desktop session." >&2
    exit 1
  fi
  echo "run: no display: starting Keldrix under a virtual display for a screenshot"
  exec xvfb-run -a -s "-screen 0 1024x768x24 -wr" bash "$root/scripts/run.sh" --headless "$@"
fi
echo "run: Keldrix is installed in $prog; starting it"
cd "$prog"
exec wine "$exe" "$@"
