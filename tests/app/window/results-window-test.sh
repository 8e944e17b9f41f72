#!/usr/bin/env bash
# The review-and-fix road on the real Keldrix.exe: the results list (ticks,
# "Ignore"), Fix Errors with its backup, the statistics and the about page.
#   results-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

app_key="$apppaths\\${token}_bad.exe"

case $check in
results_fix)
  # App Paths, Help Files and Startup hold this test's four faults and,
  # checked first, nothing else: the fix must touch nothing of the prefix's own.
  plant_faults
  set_switches 00001110000
  # A restore point that cannot be set holds the fix at its message box.
  wine reg add "$settings" /v systemrestore /t REG_SZ /d 1 /f >/dev/null
  start_keldrix -t
  wait_until 120 "end of the scan" has_setting errs
  [ "$(setting errs)" == 4 ] || fail "the scan found $(setting errs) problems, not this test's 4"
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  wait_until 30 "everything ticked" counter_is 4 4
  screenshot page-results-collapsed

  # Groups App Paths, Help Files, Startup (HKLM Run before HKCU Run).
  # Untick the help file and the machine's Run entry.
  expand_group 1
  wait_until 30 "help group open" test "$(list_items 4 | wc -l)" == 4
  tick_row 2
  wait_until 30 "one unticked" counter_is 3 4
  expand_group 3
  wait_until 30 "startup group open" test "$(list_items 6 | wc -l)" == 6
  tick_row 4
  wait_until 30 "two unticked" counter_is 2 4
  screenshot page-results

  wine reg export "$app_key" "Z:${work//\//\\}\\app-before.reg" /y >/dev/null || fail "no export of the App Paths key"
  wine reg export "$userrun" "Z:${work//\//\\}\\run-before.reg" /y >/dev/null || fail "no export of the Run key"

  click_ctl 1297
  box_open() { inspect box >"$work/box.txt"; }
  wait_until 60 "the restore point's message box" box_open
  # The fix waits at the box: the window is locked meanwhile.
  text_is 1348 "Fixing errors. Please wait." || fail "counter during the fix: $(ctl_text 1348)"
  for button in "${nav_buttons[@]}" 1296 1297 1299 1300; do
    ctl_enabled "$button" && fail "button $button is enabled during the fix"
  done
  ctl_visible 12345 && fail "the list shows during the fix"
  screenshot page-results-fixing
  click_ctl 1296
  page_shows 1297 || fail "Back left the results page during the fix"
  read -r l t r b <"$work/box.txt"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  wait_until 120 "statistics page after the fix" page_shows 1273

  # Exactly the ticked problems are gone.
  wine reg query "$app_key" >/dev/null 2>&1 && fail "the ticked App Paths fault is still there"
  wine reg query "$userrun" /v "${token}_bad" >/dev/null 2>&1 && fail "the ticked Run entry is still there"
  wine reg query "$help" /v "${token}_bad.hlp" >/dev/null 2>&1 || fail "the unticked help file was removed"
  wine reg query "$machinerun" /v "${token}_bad" >/dev/null 2>&1 || fail "the unticked Run entry was removed"

  # The figures: in the settings store and on the page alike.
  expected=(0 0 0 0 1 0 1 0 0 0 0)
  for i in "${!fixed_names[@]}"; do
    [ "$(setting "${fixed_names[$i]}")" == "${expected[$i]}" ] || fail "${fixed_names[$i]} is $(setting "${fixed_names[$i]}")"
    page_text_is "${fixed_ids[$i]}" "${expected[$i]}" || fail "fixed label of category $i: $(page_text "${fixed_ids[$i]}")"
    page_text_is "${found_ids[$i]}" "$(setting "${found_names[$i]}")" || fail "found label of category $i"
    page_text_is "${ignored_ids[$i]}" 0 || fail "ignored label of category $i"
  done
  for name in FixedTotals ErrorsFixed; do
    [ "$(setting $name)" == 2 ] || fail "$name is $(setting $name)"
  done
  [ "$(setting lastfounderrors)" == 4 ] || fail "lastfounderrors is $(setting lastfounderrors)"
  text_is 1271 "Errors found: 4" || fail "found total: $(ctl_text 1271)"
  text_is 1272 "Errors Cleaned: 2" || fail "cleaned total: $(ctl_text 1272)"
  last=$(wine reg query "$settings" /v lastScan | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
  [ -n "$last" ] && text_is 1273 "$last" || fail "last scan: $(ctl_text 1273), stored '$last'"
  for button in "${nav_buttons[@]}"; do
    ctl_enabled "$button" || fail "navigation button $button stays disabled after the fix"
  done
  screenshot page-statistics

  # The backup puts back exactly what the fix removed.
  backups=("$prog"/Backup/*.reg)
  [ ${#backups[@]} == 1 ] && [ -s "${backups[0]}" ] || fail "not one backup file: ${backups[*]}"
  wine regedit /S "C:\\Program Files\\Keldrix\\Backup\\$(basename "${backups[0]}")"
  wine reg export "$app_key" "Z:${work//\//\\}\\app-after.reg" /y >/dev/null || fail "the App Paths key is not restored"
  wine reg export "$userrun" "Z:${work//\//\\}\\run-after.reg" /y >/dev/null || fail "no export of the Run key"
  for name in app run; do
    cmp <(sort "$work/$name-before.reg") <(sort "$work/$name-after.reg") || fail "the restored $name key differs"
  done

  click_ctl 1005
  wait_until 30 "about page" page_shows 1229
  text_is 1228 "About Keldrix" || fail "heading: $(ctl_text 1228)"
  [[ $(ctl_text 1229) == "Version 1.6|"* ]] || fail "version: $(ctl_text 1229)"
  screenshot page-about
  exit_keldrix
  ;;

results_ignore)
  # Two faults left to review: a help file and the user's Run entry.
  plant_faults
  wine reg delete "$apppaths\\${token}_bad.exe" /f >/dev/null
  wine reg delete "$machinerun" /v "${token}_bad" /f >/dev/null
  set_switches 00000110000
  start_keldrix -t
  wait_until 120 "end of the scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the scan found $(setting errs) problems, not this test's 2"
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  wait_until 30 "everything ticked" counter_is 2 2

  # Unticked, then Back and Next: the rebuilt list keeps the untick.
  expand_group 1
  wait_until 30 "startup group open" test "$(list_items 3 | wc -l)" == 3
  tick_row 2
  wait_until 30 "one unticked" counter_is 1 2
  click_ctl 1296
  wait_until 30 "progress page" page_shows 1395
  click_ctl 1306
  wait_until 30 "results page again" page_shows 1297
  counter_is 1 2 || fail "Back and Next ticked again: $(ctl_text 1348)"

  # Select None, Select All and their counter.
  click_ctl 1300
  wait_until 30 "nothing ticked" counter_is 0 2
  click_ctl 1297
  wait_until 30 "the no-selection message" inspect box
  read -r l t r b < <(inspect box)
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  ctl_enabled 1297 || fail "Fix Errors is disabled after the no-selection message"
  click_ctl 1299
  wait_until 30 "all ticked" counter_is 2 2

  # "Ignore" on the help file: written to the file, gone from the list.
  # The rebuilt list starts collapsed again: Help Files, then Startup.
  expand_group 0
  wait_until 30 "help group open" test "$(list_items 3 | wc -l)" == 3
  ignore_row 1
  wait_until 30 "the row ignored" counter_is 1 1
  list="$prog/ignorelist.dat"
  grep -qF "${token}_bad.hlp|" "$list" || fail "the ignore list holds no entry of the help file"
  [ "$(grep -B1 -F "${token}_bad.hlp|" "$list" | head -1 | tr -d '\r')" == 5 ] || fail "the entry's category is not 5"
  screenshot page-results-ignored
  click_ctl 1262
  wait_until 30 "statistics page" page_shows 1273
  page_text_is 1388 1 || fail "ignored help files: $(page_text 1388)"

  # The next scan (its end: "errs" written anew) no longer reports it.
  wine reg delete "$settings" /v errs /f >/dev/null 2>&1
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  click_ctl 1021
  wait_until 120 "end of the scan" has_setting errs
  [ "$(setting errs)" == 1 ] || fail "the next scan found $(setting errs) problems"
  [ "$(setting TotalHelpFileErrors)" == 0 ] || fail "the ignored help file was reported again"

  # "Ignore" on the last row left empties the list: "Fix Errors" then goes
  # back to the scan categories page, with no message and no fix.
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "results page after the next scan" page_shows 1297
  wait_until 30 "the one problem ticked" counter_is 1 1
  expand_group 0
  wait_until 30 "startup group open" test "$(list_items 2 | wc -l)" == 2
  ignore_row 1
  wait_until 30 "the last row ignored" counter_is 0 0
  click_ctl 1297
  wait_until 30 "scan categories page from Fix Errors" page_shows 1021
  inspect box >/dev/null && fail "a message box after Fix Errors with nothing left"
  wine reg query "$userrun" /v "${token}_bad" >/dev/null 2>&1 || fail "the ignored Run entry was removed"
  exit_keldrix
  ;;

results_click_after_box)
  # Fix Errors with nothing ticked says so; the first click after the message acts.
  scan_one_fault_to_results
  click_ctl 1300
  wait_until 30 "nothing ticked" counter_is 0 1
  click_ctl 1297
  answer_box
  [ "$box_text" == "There are no errors selected. Check one or more of the items in the error list and click the Fix Errors button" ] \
    || fail "Fix Errors said: $box_text"
  click_ctl 1299
  wait_until 30 "everything ticked by the first click after the message" counter_is 1 1
  wine reg query "$help" /v "${token}_bad.hlp" >/dev/null 2>&1 || fail "the help file entry went without a fix"
  exit_keldrix
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
