# Sourced by the window-test scripts: the set-up every check shares (settings
# saved and cleared, the program installed on C: of the test prefix) and the
# helpers that drive the real Keldrix.exe with real input (xdotool) and judge
# it by its windows (kwinprobe.exe reads them from outside), its settings, its
# log archive and screenshots of the white root. A script sources it with
#   CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
# as its arguments.
# The program runs installed on C: of the test prefix (scripts/install.sh), so
# that its shortcut scan walks the prefix's drive and not the host's disk.
# Screenshots of each page go to BUILD_DIR/screenshots.
set -uo pipefail
check=$1
exe=$2
inspector=$3
build=$4
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
# The update check asks a closed port on this machine, never a real host.
export KELDRIX_TEST_UPDATE_HOST=127.0.0.1:9

bin=$(dirname "$exe")
prog="$WINEPREFIX/drive_c/Program Files/Keldrix"
install="$(dirname "${BASH_SOURCE[0]}")/../../../scripts/install.sh"
shots="$build/screenshots"
work=$(mktemp -d)
settings='HKEY_LOCAL_MACHINE\Software\Keldrix'
software='HKEY_LOCAL_MACHINE\Software'
token="KdxWin$$x$RANDOM"
gone="C:\\KdxGone_$token"
cv='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion'
apppaths="$cv\\App Paths"
help='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\HELP'
fonts='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts'
userrun='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
machinerun="$cv\\Run"
WM_SYSCOMMAND=0x0112
WM_TRAY_NOTIFY=1924
ID_TRAY_EXIT=32792
pids=()
planted=0
help_made=0
mkdir -p "$shots"

cleanup() {
  local p
  for p in "${pids[@]}"; do
    kill -CONT "$p" 2>/dev/null
    kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
  done
  if ((planted)); then
    wine reg delete "$apppaths\\${token}_bad.exe" /f >/dev/null 2>&1
    wine reg delete "$help" /v "${token}_bad.hlp" /f >/dev/null 2>&1
    ((help_made)) && wine reg delete "$help" /f >/dev/null 2>&1
    wine reg delete "$fonts" /v "${token}_bad (TrueType)" /f >/dev/null 2>&1
    wine reg delete "$userrun" /v "${token}_bad" /f >/dev/null 2>&1
    wine reg delete "$machinerun" /v "${token}_bad" /f >/dev/null 2>&1
  fi
  # Scheduled tasks the program made during the test.
  for task in "${tasks_made[@]}"; do
    rm -f "$task"
  done
  # Tasks a check set aside come back as they were.
  for task in "$work"/tasks/*.job; do
    [ -e "$task" ] && cp -p "$task" "$taskdir/"
  done
  # The program's settings as they were before the test.
  wine reg delete "$settings" /f >/dev/null 2>&1
  [ -s "$work/settings.reg" ] && wine regedit /S "Z:${work//\//\\}\\settings.reg"
  wine reg delete "$software" /v PromptForEmail /f >/dev/null 2>&1
  [ -n "${prompt_before:-}" ] && wine reg add "$software" /v PromptForEmail /d "$prompt_before" /f >/dev/null
  bash "$install" --remove "$build"
  rm -rf "$work"
}
trap cleanup EXIT

inspect() { wine "$inspector" "$@" 2>/dev/null | tr -d '\r'; }
# The main window's tree, or with dialog_title set the topmost dialog so titled.
tree() {
  if [ -n "${dialog_title:-}" ]; then inspect dialog "$dialog_title"; else inspect tree; fi >"$work/tree.txt" && cat "$work/tree.txt"
}

fail() {
  echo "FAIL ($check): $*" >&2
  tree >&2
  import -window root "$shots/failed-$check.png" 2>/dev/null
  exit 1
}

# wait_until SECONDS WHAT COMMAND...: retries the command until it succeeds.
wait_until() {
  local limit=$1 what=$2 start=$SECONDS
  shift 2
  until "$@"; do
    ((SECONDS - start < limit)) || fail "no $what within ${limit}s"
    sleep 0.1
  done
}

# Fields of a control's line: win DEPTH ID CLASS VISIBLE ENABLED L T R B TEXT.
# Pages share control ids: a page's control is looked up on the visible page only.
ctl_line() {
  tree | awk -v id="$1" '$1 == "page" { shown = $2 }
    $1 == "win" && $3 == id && ($2 == 1 || ($2 == 2 && shown == 1)) { print; exit }'
}
ctl_text() { ctl_line "$1" | cut -d' ' -f11-; }
ctl_visible() { [ "$(ctl_line "$1" | cut -d' ' -f5)" == 1 ]; }
ctl_enabled() { [ "$(ctl_line "$1" | cut -d' ' -f6)" == 1 ]; }
text_is() { [ "$(ctl_text "$1")" == "$2" ]; }
main_visible() { [ "$(tree | awk '$1 == "win" && $2 == 0 { print $5 }')" == 1 ]; }
main_hidden() { [ "$(tree | awk '$1 == "win" && $2 == 0 { print $5 }')" == 0 ]; }
# The one visible page holds control $1 (and no other page is visible).
page_shows() {
  local pages
  pages=$(tree | awk '$1 == "page" && $2 == 1')
  [ "$(grep -c . <<<"$pages")" == 1 ] && grep -qw "$1" <<<"$pages"
}

click_ctl() {
  local l t r b
  read -r l t r b < <(ctl_line "$1" | cut -d' ' -f7-10)
  [ -n "$b" ] || fail "no control $1 to click"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click "${2:-1}"
}

setting() { wine reg query "$settings" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'; }
has_setting() { [ -n "$(setting "$1")" ]; }
set_switches() {
  local names=(ComActivex Uninstall Font SharedDll AppPaths HelpFile WinStartup FilePath ShortCut EmptyReg ShellExt) i
  for i in "${!names[@]}"; do
    wine reg add "$settings" /v "${names[$i]}" /t REG_SZ /d "${1:$i:1}" /f >/dev/null
  done
}

# Page 1 by the Scan button, the boxes of the categories the first scan left
# out clicked (their switch then reads $1), and Start Scan.
scan_with_seven_boxes_toggled() {
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  local box
  for box in 1300 1301 1303 1307 1014 1015 1016; do
    click_ctl "$box"
  done
  wait_until 30 "category switches at $1" test "$(setting ShellExt)" == "$1"
  click_ctl 1021
  wait_until 60 "scan from Start Scan" page_shows 1395
}

# One broken entry each of App Paths, Help Files and Fonts, two of Startup.
plant_faults() {
  planted=1
  wine reg query "$help" >/dev/null 2>&1 || help_made=1
  wine reg add "$apppaths\\${token}_bad.exe" /ve /d "$gone\\app.exe" /f >/dev/null
  wine reg add "$help" /v "${token}_bad.hlp" /d "$gone" /f >/dev/null
  wine reg add "$fonts" /v "${token}_bad (TrueType)" /d "${token}_bad.ttf" /f >/dev/null
  wine reg add "$userrun" /v "${token}_bad" /d "\"$gone\\run.exe\" /min" /f >/dev/null
  wine reg add "$machinerun" /v "${token}_bad" /d "\"$gone\\machine.exe\"" /f >/dev/null
}

# The results list draws its rows itself: they are found in a screenshot, by
# the edge line at the bottom of each row in a column left of the texts
# (#F5F5F5; #0A0A0A where the focus frame of the selected row crosses it).
# list_items N prints "TOP BOTTOM" (screen) of the first N rows shown.
list_items() {
  local l t r b
  read -r l t r b < <(ctl_line 12345 | cut -d' ' -f7-10)
  [ -n "$b" ] || fail "no results list"
  import -window root "$work/list.png" 2>/dev/null || fail "no screenshot"
  convert "$work/list.png" -crop "1x$((b - t - 2))+$((l + 45))+$((t + 1))" txt:- |
    awk -v n="$1" -v top=$((t + 1)) -F'[,: ]+' 'NR > 1 {
        y = $2; line = ($0 ~ /#F5F5F5|#0A0A0A/)
        if (line && !inrun) { print start, top + y + 1; start = top + y + 1; if (++found == n) exit }
        inrun = line }
      BEGIN { start = top }'
}
# item_point N X: the point at X pixels right of the list's left edge, in the
# middle of the check box's height, of row N (0 = first shown).
item_point() {
  local l rows
  l=$(ctl_line 12345 | cut -d' ' -f7)
  rows=$(list_items $(($1 + 1)))
  read -r top bottom < <(sed -n "$(($1 + 1))p" <<<"$rows")
  [ -n "$bottom" ] || fail "no row $1 in the list"
  echo "$((l + 1 + $2)) $((top + (bottom - top) / 2 - 1))"
}
expand_group() { xdotool mousemove $(item_point "$1" 10) click 1; }
tick_row() { xdotool mousemove $(item_point "$1" 26) click 1; }
# A control of the shown page only: the statistics page's 1276 is also the
# main window's Hide button.
page_text() {
  tree | awk -v id="$1" '$1 == "page" { shown = $2 }
    $1 == "win" && $2 == 2 && $3 == id && shown == 1 { $1 = $2 = $3 = $4 = $5 = $6 = $7 = $8 = $9 = $10 = ""; sub(/^ +/, ""); print; exit }'
}
page_text_is() { [ "$(page_text "$1")" == "$2" ]; }
# The statistics page's labels of each category: fixed, found and ignored.
fixed_ids=(1264 1265 1266 1267 1268 1269 1009 1270 1208 1350 1351)
found_ids=(1276 1279 1282 1373 1375 1377 1378 1380 1384 1382 1386)
ignored_ids=(1369 1370 1372 1374 1376 1388 1379 1381 1385 1383 1387)
# The results page's counter, the navigation buttons and the statistics values.
counter_is() { text_is 1348 "$1 of $2 Errors Selected for Repair"; }
# Plants the faults and scans the Help Files category alone with "-t"; the
# results page then shows its one problem, ticked.
scan_one_fault_to_results() {
  plant_faults
  set_switches 00000100000
  start_keldrix -t
  wait_until 120 "end of the scan" has_setting errs
  [ "$(setting errs)" == 1 ] || fail "the scan found $(setting errs) problems, not this test's 1"
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  wait_until 30 "the result ticked" counter_is 1 1
}
nav_buttons=(1099 1020 1001 1002 1005 1262)
fixed_names=(FixedComErrors FixedUninstallErrors FixedFontErrors FixedSharedDllErrors FixedAppPathErrors
             FixedHelpFileErrors FixedWinStartUpErrors FixedFilePathErrors FixedProgramShortcutErrors
             FixedEmtyRegKeyErrors FixedShellExtensionErrors)
found_names=(TotalComErrors TotalUninstallErrors TotalFontErrors TotalSharedDllErrors TotalAppPathErrors
             TotalHelpFileErrors TotalWinStartUpErrors TotalFilePathErrors TotalProgramShortcutErrors
             TotalEmtyRegKeyErrors TotalShellExtensionErrors)
# The backups page's list (1202): rows by kwinprobe.
# Row $1 of the list: CHECKED L T R B NAME<tab>DATE.
row_line() { inspect rows 1202 | awk -v i="$1" '$1 == "row" && $2 == i { sub(/^row [0-9]+ /, ""); print; exit }'; }
row_checked() { [ "$(row_line "$1" | cut -d' ' -f1)" == 1 ]; }
rows_are() { [ "$(inspect rows 1202 | grep -c '^row ')" == "$1" ]; }
click_at() { xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)) click 1; }
click_row() { click_at $(row_line "$1" | cut -d' ' -f2-5); }
# Waits for the program's message box, keeps its text in $box_text and closes it with its button.
box_shown() { inspect box >"$work/box.txt"; }
answer_box() {
  wait_until 300 "message box" box_shown
  box_text=$(sed -n 2p "$work/box.txt")
  click_at $(head -1 "$work/box.txt")
  wait_until 30 "closed message box" eval '! box_shown'
}
pixel() { convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -oE '#[0-9A-F]{6}'; }
screenshot() { import -window root "$work/shot.png" && cp "$work/shot.png" "$shots/$1.png"; }

start_keldrix() {
  # No e-mail prompt in the way, unless a check asks for it with prompt_for_email=1.
  wine reg add "$software" /v PromptForEmail /d "${prompt_for_email:-0}" /f >/dev/null
  (cd "$prog" && exec wine ./Keldrix.exe "$@") >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# Ends the running program through its tray command and checks that it ends cleanly.
exit_keldrix() {
  inspect post $WM_TRAY_NOTIFY 0 $ID_TRAY_EXIT || fail "no main window to end"
  wait_until 60 "end of the program" ended "$pid"
  wait "$pid"
  local rc=$?
  [ $rc -eq 0 ] || fail "the program ended with $rc"
}

# The tray icon: the first icon of Wine's notification area.
tray_point() {
  local id
  id=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  echo "$((X + 10)) $((Y + 10))"
}
# Right-click on the tray icon and "Exit", the menu's last item. The tray sits
# under the window's top left corner: a shown window is hidden first by its
# Hide button.
menu_open() { inspect menu >"$work/menu.txt"; }
tray_menu_exit() {
  local x y ml mt mr mb
  if main_visible; then
    click_ctl 1276
    wait_until 30 "the window hidden" main_hidden
  fi
  wait_until 30 "tray icon" tray_icon_shown
  read -r x y < <(tray_point)
  xdotool mousemove "$x" "$y" click 3
  wait_until 30 "tray menu" menu_open
  read -r ml mt mr mb <"$work/menu.txt"
  xdotool mousemove $((ml + 30)) $((mb - 10)) click 1
}
tray_icon_shown() {
  local x y
  read -r x y < <(tray_point) || return 1
  import -window root "$work/shot.png" 2>/dev/null && [ "$(pixel "$x" "$y")" != "#FFFFFF" ]
}

# The row's "Ignore" link: the blue of its text in the row's last 15 pixels.
ignore_row() {
  local rows top bottom l r x y
  rows=$(list_items $(($1 + 1)))
  read -r top bottom < <(sed -n "$(($1 + 1))p" <<<"$rows")
  read -r l _ r _ < <(ctl_line 12345 | cut -d' ' -f7-10)
  read -r x y < <(convert "$work/list.png" -crop "80x15+$((r - 80))+$((bottom - 15))" txt:- |
    awk -F'[,: ]+' '/#0000FF/ { print $1, $2; exit }')
  [ -n "$y" ] || fail "no Ignore link in row $1"
  xdotool mousemove $((r - 80 + x)) $((bottom - 15 + y)) click 1
}
# --- set-up: settings saved and cleared, the program installed on C: --------------
# No instance of an earlier test may still be there: this start would hand over to it.
no_instance() { ! inspect tree >/dev/null; }
wait_until 60 "end of an earlier instance" no_instance
wine reg export "$settings" "Z:${work//\//\\}\\settings.reg" /y >/dev/null 2>&1 || rm -f "$work/settings.reg"
wine reg delete "$settings" /f >/dev/null 2>&1
prompt_before=$(wine reg query "$software" /v PromptForEmail 2>/dev/null | tr -d '\r' | awk '$1 == "PromptForEmail" { print $3 }')
bash "$install" "$build" || fail "Keldrix does not install from $build"
# The first-run tasks: a start with fresh settings makes them (when they are not there yet).
taskdir=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname tasks | head -1)
taskdir=${taskdir:-$WINEPREFIX/drive_c/windows/tasks}
tasks=("$taskdir/Keldrix.job" "$taskdir/Keldrix Startup.job")
tasks_made=()
for task in "${tasks[@]}"; do
  [ -e "$task" ] || tasks_made+=("$task")
done
# set_task_aside NAME: the task NAME is gone for the check and comes back at the end.
set_task_aside() {
  mkdir -p "$work/tasks"
  [ ! -e "$taskdir/$1.job" ] || mv "$taskdir/$1.job" "$work/tasks/"
}
touch "$work/marker"

