#!/usr/bin/env bash
# The settings pages of the real Keldrix.exe under the test display: the
# ignore list (shown, sorted, an entry removed, the file and the next scan
# agreeing) and the options (each switch written by a click, read back, and
# honoured by the next scan and the next start).
#   settings-pages-test.sh CHECK KELDRIX_EXE KINSPECT_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

checked() { [ "$(inspect checked "$1")" == "$2" ]; }
rows() { inspect list 1291; }
row_names() { rows | cut -d' ' -f6- | cut -d'|' -f1 | paste -sd,; }
# The line of rows whose entry text is $1 (compared as plain text).
row_of() {
  local line
  while read -r line; do
    [[ $line == *"|$1" ]] && echo "$line"
  done < <(rows)
}
row_texts() { rows | cut -d' ' -f6- | cut -d'|' -f2- | paste -sd,; }
setting_is() { [ "$(setting "$1")" == "$2" ]; }
# Starts a scan from page 1 and waits for its end ("errs" is written then).
scan_again() {
  wine reg delete "$settings" /v errs /f >/dev/null 2>&1
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  click_ctl 1021
  wait_until 30 "progress page" page_shows 1395
}
# The options page through the main window's Options button.
show_options() {
  wait_until 60 "Options button enabled" ctl_enabled 1002
  click_ctl 1002
  wait_until 30 "options page" page_shows 1087
}

case $check in
ignore_list_page)
  plant_faults
  set_switches 00001100000
  app_entry="$apppaths\\${token}_bad.exe|$gone\\app.exe"
  help_entry="$help\\${token}_bad.hlp|$gone"
  odd_entry="HKEY_LOCAL_MACHINE\\Kdx$token\\odd|"
  # A hand-damaged file: a category outside the table, and a last category without its text.
  printf '%s\r\n' 4 "$app_entry" 5 "$help_entry" 42 "$odd_entry" 3 >"$prog/ignorelist.dat"
  start_keldrix -t
  wait_until 120 "end of the first scan" has_setting errs
  [ "$(setting errs)" == 0 ] || fail "the ignored faults were reported: errs $(setting errs)"

  show_options
  click_ctl 1290
  wait_until 30 "ignore list page" page_shows 1291
  [ "$(row_names)" == "Application Path,Help Files,Unknown (42)" ] || fail "rows: $(row_names)"
  [ "$(row_texts)" == "$app_entry,$help_entry,$odd_entry" ] || fail "entries: $(row_texts)"
  screenshot page-ignore-list

  # Shown again, the list is filled anew and its order turns round.
  click_ctl 1298
  wait_until 30 "options page from its tab" page_shows 1087
  click_ctl 1290
  wait_until 30 "ignore list page again" page_shows 1291
  [ "$(row_names)" == "Unknown (42),Help Files,Application Path" ] || fail "refilled rows: $(row_names)"

  # "Registry Key" sorts by entry text, ascending, then descending.
  read -r l t r b < <(ctl_line 1291 | cut -d' ' -f7-10)
  ascending=$(printf '%s\n' "$app_entry" "$help_entry" "$odd_entry" | LC_ALL=C sort | paste -sd,)
  descending=$(printf '%s\n' "$app_entry" "$help_entry" "$odd_entry" | LC_ALL=C sort -r | paste -sd,)
  xdotool mousemove $((l + 160)) $((t + 10)) click 1
  wait_until 30 "rows by entry text" test "$(row_texts)" == "$ascending"
  # (Clicked elsewhere on the column's head: a second click on the same spot would be a double-click.)
  xdotool mousemove $((l + 260)) $((t + 10)) click 1
  wait_until 30 "rows by entry text, descending" test "$(row_texts)" == "$descending"

  # Remove the Help Files entry: the row, the file and the next scan agree.
  read -r _ rl rt rr rb _ < <(row_of "$help_entry")
  xdotool mousemove $(((rl + rr) / 2)) $(((rt + rb) / 2)) click 1
  wait_until 30 "the help row selected" test "$(row_of "$help_entry" | cut -c1)" == 1
  click_ctl 1292
  wait_until 30 "two rows after Remove" test "$(rows | grep -c .)" == 2
  [ -z "$(row_of "$help_entry")" ] || fail "the removed row is still listed"
  printf '%s\r\n' 4 "$app_entry" 42 "$odd_entry" >"$work/expected.dat"
  cmp "$work/expected.dat" "$prog/ignorelist.dat" || fail "ignorelist.dat after Remove: $(cat -A "$prog/ignorelist.dat")"

  scan_again
  wait_until 120 "end of the scan after Remove" has_setting errs
  [ "$(setting errs)" == 1 ] && [ "$(setting TotalHelpFileErrors)" == 1 ] && [ "$(setting TotalAppPathErrors)" == 0 ] \
    || fail "after Remove: errs $(setting errs), help $(setting TotalHelpFileErrors), app paths $(setting TotalAppPathErrors)"
  exit_keldrix
  cmp "$work/expected.dat" "$prog/ignorelist.dat" || fail "ignorelist.dat changed at exit"
  ;;

options_page)
  # Only this test's two faults are scanned (a plain scan checks it first), so
  # the fix the options lead to touches nothing of the prefix's own.
  plant_faults
  set_switches 00001100000
  start_keldrix -t
  wait_until 120 "end of the plain scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the plain scan found $(setting errs) problems, not this test's 2"
  show_options

  # No option stored yet: the defaults; the hidden controls stay hidden.
  for pair in "1087 0" "1016 0" "1017 0" "1018 0" "1014 1" "1015 1"; do
    checked $pair || fail "box ${pair% *} is not ${pair#* } at first"
  done
  for id in 1016 1235 1274 1288 1289 1298 1394 1392; do
    ctl_visible $id && fail "control $id is shown"
  done
  ctl_enabled 1018 && ctl_enabled 1286 || fail "the restore option is greyed although SRCLIENT.DLL is there"
  text_is 1231 "Settings - General" && text_is 1236 "Automatically repair items after scanning" \
    && text_is 1286 "Create a system restore point before repairing errors." || fail "option texts"
  screenshot page-options

  # A click on a box or on its text writes the value at once.
  for step in "1087 Shutdownafterclean 1" "1234 Shutdownafterclean 0" "1087 Shutdownafterclean 1" \
              "1236 repairafterfind 1" "1286 systemrestore 1" "1014 autoupdate 0" "1390 checkprompt 0"; do
    read -r id name value <<<"$step"
    click_ctl "$id"
    wait_until 30 "$name at $value after a click on $id" setting_is "$name" "$value"
  done
  for pair in "1087 1" "1017 1" "1018 1" "1014 0" "1015 0"; do
    checked $pair || fail "box ${pair% *} is not ${pair#* } after the clicks"
  done

  # The next scan repairs at once, first asking for a restore point, which
  # Wine refuses: the message shows, the fix goes on, then the window hides.
  scan_again
  restore_message() { inspect box | grep -q "could not set the system restore point"; }
  wait_until 120 "restore point message" restore_message
  screenshot restore-point-message
  read -r bl bt br bb < <(inspect box | awk '$1 == "win" && $4 == "Button" && $5 == 1 { print $7, $8, $9, $10; exit }')
  xdotool mousemove $(((bl + br) / 2)) $(((bt + bb) / 2)) click 1
  wait_until 120 "hidden window after the fix" main_hidden
  [ "$(setting FixedTotals)" == 2 ] || fail "FixedTotals is $(setting FixedTotals) after the fix"
  wine reg query "$apppaths\\${token}_bad.exe" >/dev/null 2>&1 && fail "the App Paths fault is still there"
  log=$(ls "$prog"/Logs/Keldrix-*.zip 2>/dev/null | head -1)
  [ -n "$log" ] && unzip -p "$log" >"$work/fix.log" || fail "no after-fix log"
  for pair in "Shutdownafterclean yes" "splashscreen no" "repairafterfind yes" "systemrestore yes" \
              "autoupdate no" "checkprompt no"; do
    read -r name value <<<"$pair"
    grep -q "<$name>$value</$name>" "$work/fix.log" || fail "the log's settings do not hold $name $value"
  done
  exit_keldrix

  # The next start reads the stored values back; without a restore service the
  # option is greyed and clear, and its stored value stays.
  export WINEDLLOVERRIDES=srclient=d
  start_keldrix
  unset WINEDLLOVERRIDES
  wait_until 60 "visible main window" main_visible
  show_options
  for pair in "1087 1" "1017 1" "1018 0" "1014 0" "1015 0"; do
    checked $pair || fail "box ${pair% *} is not ${pair#* } at the next start"
  done
  ctl_enabled 1018 || ctl_enabled 1286 && fail "the restore option is offered without SRCLIENT.DLL"
  click_ctl 1286
  click_ctl 1236
  wait_until 30 "repairafterfind at 0 from its text" setting_is repairafterfind 0
  [ "$(setting systemrestore)" == 1 ] || fail "systemrestore changed without a restore service"
  screenshot page-options-no-restore
  exit_keldrix
  ;;

options_tips)
  # Without "settings.xml" tips are configured: the tips option shows, and
  # its state is stored at exit.
  rm "$prog/settings.xml"
  wine reg add "$settings" /v ShowTip /t REG_SZ /d 0 /f >/dev/null
  start_keldrix
  wait_until 60 "visible main window" main_visible
  show_options
  ctl_visible 1394 && ctl_visible 1392 || fail "the tips option is hidden"
  checked 1394 0 || fail "the tips box is ticked with ShowTip 0"
  click_ctl 1392
  wait_until 30 "tips box ticked from its text" checked 1394 1
  exit_keldrix
  [ "$(setting ShowTip)" == 1 ] || fail "ShowTip is $(setting ShowTip) after the tips option was ticked"
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
