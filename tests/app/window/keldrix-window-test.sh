#!/usr/bin/env bash
# Drives the real Keldrix.exe with real input (xdotool) under the test display
# and judges it by its windows, the settings it stores, its log archive and
# screenshots (see window-lib.sh for the set-up every check shares).
#   keldrix-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

# Button $1 is drawn with the built bitmap $2 (its held face), on a fresh screenshot.
held_face() {
  local bl bt br bb
  read -r bl bt br bb < <(ctl_line "$1" | cut -d' ' -f7-10)
  [ -n "$bb" ] && import -window root "$work/shot.png" 2>/dev/null &&
    convert "$work/shot.png" -crop "$((br - bl))x$((bb - bt))+$bl+$bt" +repage "$work/button.png" &&
    convert "$build/res/art/$2.bmp" -crop "$((br - bl))x$((bb - bt))+0+0" +repage "$work/face.png" &&
    [ "$(compare -metric AE "$work/button.png" "$work/face.png" null: 2>&1)" == 0 ]
}
# Control $1 shows the built bitmap $2 at its top left, on the last screenshot.
shows_bitmap() {
  local l t r b bw bh w h
  read -r l t r b < <(ctl_line "$1" | cut -d' ' -f7-10)
  read -r bw bh < <(identify -format '%w %h\n' "$build/res/art/$2.bmp")
  [ -n "$b" ] && [ -n "$bh" ] || return 1
  w=$((r - l < bw ? r - l : bw))
  h=$((b - t < bh ? b - t : bh))
  convert "$work/shot.png" -crop "${w}x${h}+$l+$t" +repage "$work/ctl.png" &&
    convert "$build/res/art/$2.bmp" -crop "${w}x${h}+0+0" +repage "$work/art.png" &&
    [ "$(compare -metric AE "$work/ctl.png" "$work/art.png" null: 2>&1)" == 0 ]
}
# The number of pixels of colour $2 (#RRGGBB) in control $1, on the last screenshot.
colour_count() {
  local l t r b
  read -r l t r b < <(ctl_line "$1" | cut -d' ' -f7-10)
  [ -n "$b" ] || { echo 0; return; }
  convert "$work/shot.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage -depth 8 txt:- | grep -c "$2"
}
# Hides the main window with its Hide button, so that the tray shows.
# (The statistics page has a control 1276 of its own: the button is looked up on the main window.)
hide_main() {
  local l t r b
  read -r l t r b < <(tree | awk '$1 == "win" && $2 == 1 && $3 == 1276 { print $7, $8, $9, $10; exit }')
  [ -n "$b" ] || fail "no Hide button"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  wait_until 30 "the window hidden" main_hidden
}
# The tray icon's look on a fresh screenshot, by the colours of its image:
# noscan (the grey mark, icon 320), errors (the red badge, 321), clean (the
# green badge, 322) or none. The icon is the last one of the tray (one of an
# instance killed earlier may stay before it); the main window must not cover it.
tray_look() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW tw th tx ty w colours
  id=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1)
  [ -n "$id" ] || { echo none; return; }
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root "$work/shot.png" 2>/dev/null || { echo none; return; }
  convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$work/tray.png" || { echo none; return; }
  read -r tw th tx ty < <(convert "$work/tray.png" -trim -format '%w %h %X %Y\n' info: 2>/dev/null)
  [ -n "$ty" ] || { echo none; return; }
  tx=${tx#+}
  ty=${ty#+}
  w=$((tw < 18 ? tw : 18))
  colours=$(convert "$work/tray.png" -crop "${w}x$th+$((tx + tw - w))+$ty" +repage -depth 8 -format %c histogram:info:-)
  if grep -qi '#D9472B' <<<"$colours"; then echo errors
  elif grep -qi '#2E9E50' <<<"$colours"; then echo clean
  elif grep -qi '#8A9DB0' <<<"$colours"; then echo noscan
  else echo none; fi
}
# look_becomes LOOK and tip_becomes TEXT: the tray icon shows it within 30 s.
# The tray sits under the window's top left corner: a shown window is hidden.
look_becomes() {
  local start=$SECONDS
  main_visible && hide_main
  until [ "$(tray_look)" == "$1" ]; do
    ((SECONDS - start < 30)) || fail "the tray icon looks '$(tray_look)', not '$1'"
    sleep 0.1
  done
}
tip_becomes() {
  local start=$SECONDS
  until [ "$(inspect tips)" == "$1" ]; do
    ((SECONDS - start < 30)) || fail "the tray's tooltip is '$(inspect tips)', not '$1'"
    sleep 0.1
  done
}
# The open tray menu's five items by position: 1 where the text is drawn
# black (enabled), 0 where it is not (greyed); e.g. 10001.
menu_items() {
  local ml mt mr mb h i out=""
  read -r ml mt mr mb <"$work/menu.txt"
  import -window root "$work/menu.png" 2>/dev/null || return 1
  h=$(((mb - mt - 6) / 5))
  for ((i = 0; i < 5; i++)); do
    if convert "$work/menu.png" -crop "$((mr - ml - 8))x$((h - 4))+$((ml + 4))+$((mt + 5 + i * h))" +repage \
        -depth 8 -format %c histogram:info:- | grep -qi '#000000'; then out+=1; else out+=0; fi
  done
  echo "$out"
}
menu_items_are() { menu_open && [ "$(menu_items)" == "$1" ]; }
scanning() { ctl_visible 1304; }   # Stop shows while a scan runs

case $check in
start_and_pages)
  start_keldrix
  wait_until 60 "visible main window" main_visible
  [ -n "$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null)" ] || fail "no top-level window titled Keldrix"
  wait_until 120 "start-up log" test -s "$prog/Logs/SystemInfo.zip"
  for task in "${tasks[@]}"; do
    [ -s "$task" ] || fail "no scheduled task $task after a first start"
  done
  [ "$(setting FirstTime)" == 0 ] && [ "$(setting FirstSincePatch)" == 0 ] || fail "the first-run values are not reset"
  unzip -p "$prog/Logs/SystemInfo.zip" >"$work/SystemInfo.log" || fail "the start-up log does not unpack"
  xmllint --noout "$work/SystemInfo.log" || fail "the start-up log is not well-formed"
  [ "$(xmllint --xpath 'name(/*)' "$work/SystemInfo.log")" == Keldrix ] || fail "the log's root is not Keldrix"

  # The skin: the cut-out corners show the white root, the body does not.
  read -r l t r b < <(tree | awk '$1 == "win" && $2 == 0 { print $7, $8, $9, $10 }')
  screenshot page-scan
  for corner in "$((r - 2)) $((t + 1))" "$((r - 2)) $((b - 2))" "$((l + 1)) $((b - 2))"; do
    [ "$(pixel $corner)" == "#FFFFFF" ] || fail "the skin's corner at $corner is not cut out"
  done
  [ "$(pixel $((l + 400)) $((t + 60)))" != "#FFFFFF" ] || fail "the skin is not drawn"
  page_shows 1021 || fail "page 1 is not the page shown at start"

  # Each navigation button shows its page, and the button is held (drawn with its pressed face).
  for step in "1020 1019 backups 221" "1001 1105 startup 224" "1002 1087 options 218" "1262 1273 statistics 227" \
              "1005 1229 about 234" "1099 1021 scan 215"; do
    read -r button marker name pressed <<<"$step"
    click_ctl "$button"
    wait_until 30 "$name page" page_shows "$marker"
    xdotool mousemove $((l + 500)) $((t + 80))   # off the button: no hover face
    read -r bl bt br bb < <(ctl_line "$button" | cut -d' ' -f7-10)
    art="$build/res/art/$pressed.bmp"
    held() {
      import -window root "$work/shot.png" 2>/dev/null &&
        convert "$work/shot.png" -crop "$((br - bl))x$((bb - bt))+$bl+$bt" +repage "$work/button.png" &&
        convert "$art" -crop "$((br - bl))x$((bb - bt))+0+0" +repage "$work/face.png" &&
        [ "$(compare -metric AE "$work/button.png" "$work/face.png" null: 2>&1)" == 0 ]
    }
    wait_until 30 "held face of button $button" held
    screenshot "page-$name"
  done

  # Page 1: hovering a category's name shows its description in the hover
  # colour, leaving it empties the description; a click on the name toggles
  # its box and stores the switch.
  shortcuts=$'Program shortcuts, with a \x93.lnk\x94 extension, may no longer be linked to an application.'
  read -r ll lt lr lb < <(ctl_line 1246 | cut -d' ' -f7-10)
  xdotool mousemove $(((ll + lr) / 2)) $(((lt + lb) / 2))
  wait_until 30 "shortcut description" text_is 1237 "$shortcuts"
  hover_colour() { import -window root "$work/shot.png" 2>/dev/null && (($(colour_count 1246 '#1CAF93') > 0)); }
  wait_until 30 "hover colour of the name" hover_colour
  xdotool mousemove $((l + 500)) $((t + 80))
  wait_until 30 "empty description" text_is 1237 ""
  wait_until 30 "black name again" eval '! hover_colour'
  # The two clicks are apart, or they would make a double-click.
  xdotool mousemove $((ll + (lr - ll) / 3)) $(((lt + lb) / 2)) click 1
  wait_until 30 "switch stored by a click on the name" has_setting ShortCut
  before=$(setting ShortCut)
  xdotool mousemove $((ll + 2 * (lr - ll) / 3)) $(((lt + lb) / 2)) click 1
  wait_until 30 "switch toggled by a second click on the name" test "$(setting ShortCut)" == $((1 - before))
  xdotool mousemove $((l + 500)) $((t + 80))

  # Options is held on the ignore-list and schedule pages too.
  click_ctl 1002
  wait_until 30 "options page" page_shows 1087
  click_ctl 1290
  wait_until 30 "ignore list page" page_shows 1291
  xdotool mousemove $((l + 500)) $((t + 80))
  wait_until 30 "Options held on the ignore list page" held_face 1002 218
  click_ctl 1366
  wait_until 30 "schedule page" text_is 1231 "Settings - Schedule"
  xdotool mousemove $((l + 500)) $((t + 80))
  wait_until 30 "Options held on the schedule page" held_face 1002 218

  # The close box (a system close with the system's low bits) only hides the window.
  inspect post $WM_SYSCOMMAND 0xF062 0
  wait_until 30 "hidden window" main_hidden
  ended "$pid" && fail "the close box ended the program"

  # The tray menu's Exit ends the program.
  tray_menu_exit
  wait_until 60 "end after Exit" ended "$pid"
  wait "$pid" || fail "the program did not end cleanly"

  # Nothing was written outside the program's folder on C:, but Wine's own files.
  written=$(cd "$WINEPREFIX/drive_c" && find . -type f -newer "$work/marker" \
    ! -path './Program Files/Keldrix/*' ! -path './windows/*' ! -path './users/*/Temp/*' \
    ! -path './users/*/AppData/Local/Temp/*' ! -path './ProgramData/Microsoft/*')
  [ -z "$written" ] || fail "files written elsewhere: $written"
  ;;

second_instance)
  set_switches 00001010000
  start_keldrix
  first=$pid
  wait_until 60 "visible main window" main_visible
  # A message box captioned "Keldrix" is open beside the window.
  wine "$inspector" msgbox Keldrix >/dev/null 2>&1 &
  box=$!
  pids+=("$box")
  boxes() { [ "$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null | grep -c .)" -ge 2 ]; }
  wait_until 60 "message box" boxes
  start_keldrix -t
  second=$pid
  wait_until 60 "end of the second start" ended "$second"
  pid=$first
  wait_until 60 "scan started by the second start" page_shows 1395
  wait_until 120 "end of that scan" has_setting errs
  ended "$first" && fail "the first instance ended"
  kill "$box" 2>/dev/null
  exit_keldrix
  ;;

hung_instance)
  start_keldrix
  first=$pid
  wait_until 60 "visible main window" main_visible
  kill -STOP "$first"
  start_keldrix
  second=$pid
  begin=$SECONDS
  wait_until 60 "end of the second start beside a stopped first one" ended "$second"
  echo "second start ended after $((SECONDS - begin))s"
  kill -CONT "$first"
  pid=$first
  # A WM_CLOSE from outside ends the program (no exit prompt is set).
  main_visible || fail "the first instance did not come back"
  inspect post 0x0010 0 0
  wait_until 60 "end after WM_CLOSE" ended "$pid"
  wait "$pid" || fail "the program did not end cleanly after WM_CLOSE"
  ;;

scan_road)
  # Faults of four categories; only those four are scanned.
  plant_faults
  selected=00101110000
  set_switches $selected
  # Start Scan zeroes "FixedTotals"; the fixed counts per category stay.
  wine reg add "$settings" /v FixedTotals /t REG_SZ /d 5 /f >/dev/null
  wine reg add "$settings" /v FixedAppPathErrors /t REG_SZ /d 3 /f >/dev/null
  # "-t" scans once the window has started.
  start_keldrix -t
  wait_until 60 "progress page after -t" page_shows 1395
  wait_until 120 "end of the scan" text_is 1342 "System scan and detection."
  [ "$(setting FixedTotals)" == 0 ] || fail "FixedTotals is $(setting FixedTotals) after Start Scan"
  [ "$(setting FixedAppPathErrors)" == 3 ] || fail "FixedAppPathErrors is $(setting FixedAppPathErrors) after Start Scan"
  # The path line is filled white and, at the end, reaches down to where Stop
  # was: the page around it is white too, so it is no block of its own.
  path_line_on_white() {
    local pl pt pr pb point
    read -r pl pt pr pb < <(ctl_line 1143 | cut -d' ' -f7-10)
    ctl_visible 1304 && return 1
    import -window root "$work/shot.png" 2>/dev/null || return 1
    for point in "$((pl - 3)) $(((pt + pb) / 2))" "$((pr + 3)) $((pb - 4))" "$(((pl + pr) / 2)) $((pb + 2))"; do
      [ "$(pixel $point)" == "#FFFFFF" ] || return 1
    done
  }
  wait_until 30 "the path line on the page's white" path_line_on_white
  screenshot page-progress
  next=$(ctl_text 1306)
  text_is 1143 "System scan is complete. Click $next to proceed." || fail "path line: $(ctl_text 1143)"
  ctl_visible 1304 && fail "Stop is still shown"
  ctl_enabled 1305 && ctl_enabled 1306 || fail "Back and Next are not enabled"
  names=(TotalComErrors TotalUninstallErrors TotalFontErrors TotalSharedDllErrors TotalAppPathErrors
         TotalHelpFileErrors TotalWinStartUpErrors TotalFilePathErrors TotalProgramShortcutErrors
         TotalEmtyRegKeyErrors TotalShellExtensionErrors)
  minimum=(0 0 1 0 1 1 2 0 0 0 0)
  sum=0
  for i in "${!names[@]}"; do
    count=$(ctl_text $((1331 + i)))
    if [ "${selected:$i:1}" == 1 ]; then
      [[ $count =~ ^[0-9]+$ ]] && ((count >= minimum[i])) || fail "category $i counts '$count'"
      [ "$(setting "${names[$i]}")" == "$count" ] || fail "${names[$i]} is $(setting "${names[$i]}"), the row $count"
      sum=$((sum + count))
    else
      [ -z "$count" ] || fail "skipped category $i counts '$count'"
      ctl_visible $((1320 + i)) || fail "skipped category $i shows no status image"
      [ "$(setting "${names[$i]}")" == 0 ] || fail "${names[$i]} of a skipped category is $(setting "${names[$i]}")"
    fi
  done
  text_is 1344 "$sum Problem(s) Found" || fail "total: $(ctl_text 1344), rows: $sum"
  # Status images: 254 for a category with problems (each scanned one has
  # some here), 260 for a skipped one, whose name is grey.
  row_marks() {
    local i
    import -window root "$work/shot.png" 2>/dev/null || return 1
    for i in "${!names[@]}"; do
      if [ "${selected:$i:1}" == 1 ]; then
        shows_bitmap $((1320 + i)) 254 && (($(colour_count $((1309 + i)) '#ACACAC') == 0)) || return 1
      else
        shows_bitmap $((1320 + i)) 260 && (($(colour_count $((1309 + i)) '#ACACAC') > 0)) || return 1
      fi
    done
  }
  wait_until 30 "status images and grey names of the skipped rows" row_marks
  [ "$(setting errs)" == "$sum" ] || fail "errs is $(setting errs), found $sum"

  # Next reaches the results page.
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  screenshot page-results

  # A scan of every category, stopped while it runs, ends at once as aborted.
  scan_with_seven_boxes_toggled 1
  wait_until 60 "first category running" text_is 1331 0
  # Start Scan while the scan runs does nothing: the scan timer's message
  # reaches Start Scan itself, which must leave the running scan alone. The
  # close box's message, posted after it, tells when it has been handled.
  wine reg add "$settings" /v FixedTotals /t REG_SZ /d 9 /f >/dev/null
  inspect post 0x0113 200 0
  inspect post $WM_SYSCOMMAND 0xF060 0
  wait_until 30 "hidden window" main_hidden
  [ "$(setting FixedTotals)" == 9 ] || fail "Start Scan during a scan set FixedTotals to $(setting FixedTotals)"
  inspect post $WM_TRAY_NOTIFY 0 32788
  wait_until 30 "window restored during the scan" main_visible
  wait_until 30 "progress page during the scan" page_shows 1395
  ctl_enabled 1306 && fail "the scan has ended before Stop"
  click_ctl 1304
  begin=$(date +%s%N)
  wait_until 30 "end of the stopped scan" text_is 1342 "System scan and detection."
  took=$((($(date +%s%N) - begin) / 1000000))
  echo "the stopped scan ended ${took} ms after Stop"
  ((took <= 1000)) || fail "Stop took ${took} ms"
  [[ $(ctl_text 1143) == "System scan has been aborted."* ]] || fail "path line: $(ctl_text 1143)"
  [ -z "$(ctl_text 1341)" ] || fail "the last category ran after Stop"
  screenshot page-progress-stopped

  # The next scan, started from page 1 (not through Back or Next), is not taken for aborted.
  scan_with_seven_boxes_toggled 0
  wait_until 120 "end of the third scan" text_is 1342 "System scan and detection."
  text_is 1143 "System scan is complete. Click $next to proceed." || fail "path line: $(ctl_text 1143)"

  # A second press of Scan, on page 1, starts a scan; the first only shows the page.
  wine reg add "$settings" /v FixedTotals /t REG_SZ /d 4 /f >/dev/null
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  [ "$(setting FixedTotals)" == 4 ] || fail "the first press of Scan started a scan"
  click_ctl 1099
  wait_until 30 "scan from the second press of Scan" page_shows 1395
  wait_until 120 "end of the scan from the Scan button" ctl_enabled 1306
  [ "$(setting FixedTotals)" == 0 ] || fail "no Start Scan from the second press of Scan"
  exit_keldrix
  ;;

repair_after_find)
  # With "repairafterfind" the scan fixes what it found and ends on the
  # statistics page. Only App Paths and Help Files are scanned, and the fix
  # runs only when a plain scan first finds exactly this test's two faults
  # there (the fix must touch nothing of the prefix's own).
  plant_faults
  set_switches 00001100000
  start_keldrix -t
  wait_until 120 "end of the plain scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the plain scan found $(setting errs) problems, not this test's 2"
  exit_keldrix
  wine reg add "$settings" /v repairafterfind /t REG_SZ /d 1 /f >/dev/null
  start_keldrix -t
  wait_until 120 "statistics page after the fix" page_shows 1273
  screenshot page-statistics-after-fix
  for name in FixedTotals ErrorsFixed errs; do
    [ "$(setting $name)" == 2 ] || fail "$name is $(setting $name) after fixing 2"
  done
  [ "$(setting FixedAppPathErrors)" == 1 ] && [ "$(setting FixedHelpFileErrors)" == 1 ] || fail "per-category fixed counts"
  for button in 1099 1020 1001 1002 1005 1262; do
    ctl_enabled $button || fail "navigation button $button stays disabled after the fix"
  done
  wine reg query "$apppaths\\${token}_bad.exe" >/dev/null 2>&1 && fail "the App Paths fault is still there"
  wine reg query "$help" /v "${token}_bad.hlp" >/dev/null 2>&1 && fail "the Help Files fault is still there"
  grep -qs "${token}_bad.exe" "$prog"/Backup/*.reg || fail "no backup of the fixed App Paths key"
  log=$(ls "$prog"/Logs/Keldrix-*.zip 2>/dev/null | head -1)
  [ -n "$log" ] && unzip -p "$log" >"$work/fix.log" && xmllint --noout "$work/fix.log" || fail "no well-formed after-fix log"
  grep -q "${token}_bad.hlp" "$work/fix.log" || fail "the after-fix log does not list the fixed value"
  # The log's scan settings, written at Start Scan, are the switches of the scan.
  logged=$(xmllint --xpath '//ScanSettings/*' "$work/fix.log" 2>/dev/null | grep -o '>\(yes\|no\)<' |
    sed 's/>yes</1/; s/>no</0/' | tr -d '\n')
  [ "$logged" == 00001100000 ] || fail "the log's scan settings read '$logged'"
  look_becomes clean

  # The faults again, found by a scan (the tray shows problems), then gone: a
  # scan that finds nothing shows 255 on its rows, leads by Next to page 1,
  # and the tray is clean.
  wine reg add "$settings" /v repairafterfind /t REG_SZ /d 0 /f >/dev/null
  plant_faults
  inspect post $WM_TRAY_NOTIFY 0 32788
  wait_until 30 "page 1 from Open Keldrix" page_shows 1021
  click_ctl 1021
  wait_until 30 "progress page" page_shows 1395
  wait_until 120 "end of the scan of the faults" ctl_enabled 1306
  [ "$(setting errs)" == 2 ] || fail "the scan found $(setting errs) problems, not this test's 2"
  look_becomes errors
  wine reg delete "$apppaths\\${token}_bad.exe" /f >/dev/null 2>&1
  wine reg delete "$help" /v "${token}_bad.hlp" /f >/dev/null 2>&1
  inspect post $WM_TRAY_NOTIFY 0 32788
  wait_until 30 "page 1 from Open Keldrix" page_shows 1021
  click_ctl 1021
  wait_until 30 "progress page" page_shows 1395
  wait_until 120 "end of the scan that finds nothing" ctl_enabled 1306
  [ "$(setting errs)" == 0 ] || fail "the scan after the faults went found $(setting errs)"
  clean_rows() { import -window root "$work/shot.png" 2>/dev/null && shows_bitmap 1324 255 && shows_bitmap 1325 255; }
  wait_until 30 "status image 255 of rows that found nothing" clean_rows
  click_ctl 1306
  wait_until 30 "page 1 after Next with nothing found" page_shows 1021
  look_becomes clean
  exit_keldrix
  ;;

tray_start)
  start_keldrix -Tray
  wait_until 60 "tray icon" tray_icon_shown
  # No scan made yet: the grey icon with the product's name.
  look_becomes noscan
  tip_becomes Keldrix
  wait_until 120 "start-up log" test -s "$prog/Logs/SystemInfo.zip"
  main_hidden || fail "the window shows although started with -Tray"
  [ -z "$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null)" ] || fail "a Keldrix window is mapped"
  # A tray command (a double-click: the default item "Open Keldrix") shows it.
  read -r x y < <(tray_point)
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
  wait_until 30 "window after the tray double-click" main_visible
  page_shows 1021 || fail "page 1 is not shown"
  exit_keldrix
  ;;

scan_none_selected)
  # After a scan, Start Scan with every box cleared says so, keeps that
  # scan's results and starts nothing; the first click after the message acts.
  scan_one_fault_to_results
  wine reg add "$settings" /v FixedTotals /t REG_SZ /d 7 /f >/dev/null
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  click_ctl 1305
  wait_until 30 "every box cleared" test "$(setting HelpFile)" == 0
  click_ctl 1021
  answer_box
  [ "$box_text" == "Please select at least one item." ] || fail "Start Scan said: $box_text"
  page_shows 1021 || fail "Start Scan with nothing chosen left the page"
  # The hidden pages still hold the last scan, and nothing of a new scan began.
  any_text() { tree | awk -v id="$1" '$1 == "win" && $3 == id { for (i = 0; i < 10; i++) sub(/^[^ ]* /, ""); print; exit }'; }
  [ "$(any_text 1348)" == "1 of 1 Errors Selected for Repair" ] || fail "results after the message: $(any_text 1348)"
  [ "$(any_text 1344)" == "1 Problem(s) Found" ] || fail "progress page after the message: $(any_text 1344)"
  [ "$(setting FixedTotals)" == 7 ] || fail "FixedTotals is $(setting FixedTotals) after the message"
  [ "$(setting errs)" == 1 ] || fail "errs is $(setting errs) after the message"
  click_ctl 1305
  wait_until 30 "the box ticked by the first click after the message" test "$(setting HelpFile)" == 1
  exit_keldrix
  ;;

tray_states)
  # A scan of every category runs long enough to look at the tray during it:
  # the walk of the drive goes through a folder of 200000 files on C: too.
  slow="$WINEPREFIX/drive_c/KdxSlow_$token"
  trap 'rm -rf "$slow"; cleanup' EXIT
  for d in $(seq 100); do
    mkdir -p "$slow/$d" && (cd "$slow/$d" && touch $(seq -f 'f%g.txt' 2000))
  done
  plant_faults
  set_switches 11111111111
  start_keldrix
  wait_until 60 "visible main window" main_visible
  inspect post $WM_TRAY_NOTIFY 0 32789   # the tray's "Start Scan"
  wait_until 60 "scan from the tray's Start Scan" page_shows 1395
  wait_until 30 "the Stop button" scanning
  # Exit and a close from outside are refused with their messages.
  inspect post $WM_TRAY_NOTIFY 0 $ID_TRAY_EXIT
  wait_until 60 "message of Exit during a scan" box_shown
  answer_box
  [ "$box_text" == "A scan is currently running.|Before exiting the application, please wait until the scan is complete or cancel the scan." ] ||
    fail "Exit during the scan: '$box_text'"
  inspect post 0x0010 0 0 || fail "the program ended after Exit during the scan"
  wait_until 60 "message of a close during a scan" box_shown
  answer_box
  [ "$box_text" == "A scan is currently running.|Please wait until the scan is complete or cancel the scan." ] ||
    fail "WM_CLOSE during the scan: '$box_text'"
  ended "$pid" && fail "the program ended during the scan"
  scanning || fail "the scan ended before Exit and the close were tried"
  # Its menu: Start Scan, Show Last Scan and Get Updates grey; Open Keldrix
  # brings the hidden window back.
  click_ctl 1276
  wait_until 30 "the window hidden" main_hidden
  read -r x y < <(tray_point)
  xdotool mousemove "$x" "$y" click 3
  wait_until 30 "tray menu" menu_open
  read -r ml mt mr mb <"$work/menu.txt"
  xdotool mousemove $((mr + 40)) $((mb + 40))
  wait_until 10 "grey items during the scan" menu_items_are 10001
  screenshot tray-menu-scanning
  xdotool mousemove $((ml + 30)) $((mt + 12)) click 1
  wait_until 30 "window after Open Keldrix" main_visible
  scanning || fail "the scan ended before its menu was seen"
  click_ctl 1304
  wait_until 60 "end of the stopped scan" text_is 1342 "System scan and detection."
  rm -rf "$slow"

  # A scan that leaves this test's two problems: the red badge and their number.
  exit_keldrix
  set_switches 00001100000
  wine reg delete "$settings" /v errs /f >/dev/null 2>&1
  start_keldrix
  wait_until 60 "visible main window" main_visible
  inspect post $WM_TRAY_NOTIFY 0 32789
  wait_until 120 "end of the second scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the scan found $(setting errs) problems, not this test's 2"
  look_becomes errors
  tip_becomes "Keldrix - 2 error(s) were found"
  # A fix of both: the green badge.
  wine reg add "$settings" /v repairafterfind /t REG_SZ /d 1 /f >/dev/null
  inspect post $WM_TRAY_NOTIFY 0 32789
  wait_until 120 "statistics page after the fix" page_shows 1273
  [ "$(setting FixedTotals)" == 2 ] || fail "FixedTotals is $(setting FixedTotals) after fixing 2"
  look_becomes clean
  tip_becomes Keldrix

  # With "pdiscleanshut", a close asks; Cancel keeps the program, OK ends it.
  wine reg add "$settings" /v pdiscleanshut /t REG_SZ /d 1 /f >/dev/null
  inspect post 0x0010 0 0
  wait_until 60 "exit question" box_shown
  [ "$(sed -n 2p "$work/box.txt")" == "Are you sure you want to exit Registry Cleaner?" ] ||
    fail "the exit question: '$(sed -n 2p "$work/box.txt")'"
  click_at $(inspect button 2)
  wait_until 30 "closed question" eval '! box_shown'
  inspect post 0x0010 0 0 || fail "the program ended after Cancel"
  wait_until 60 "second exit question" box_shown
  answer_box
  wait_until 60 "end after OK" ended "$pid"
  wait "$pid" || fail "the program did not end cleanly"
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
