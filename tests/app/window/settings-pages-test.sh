#!/usr/bin/env bash
# The settings pages of the real Keldrix.exe: the ignore list (shown, sorted,
# an entry removed; the file and the next scan agree) and the options (each
# click writes its value; the next scan and the next start honour them).
#   settings-pages-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

rows() { inspect rows 1291 | grep '^row '; }
# The names (1) or the entry texts (2) of the rows, comma-joined.
column() { rows | cut -f"$1" | sed 's/^row \([^ ]* \)\{6\}//' | paste -sd,; }
row_of() { local line; while read -r line; do [[ $line == *$'\t'"$1" ]] && echo "$line"; done < <(rows); }
setting_is() { [ "$(setting "$1")" == "$2" ]; }
# A click on control $1 writes $3 to value $2.
click_writes() { click_ctl "$1"; wait_until 30 "$2 at $3 after a click on $1" setting_is "$2" "$3"; }
show_options() {
  wait_until 60 "Options button enabled" ctl_enabled 1002
  click_ctl 1002
  wait_until 30 "options page" page_shows 1087
}
# A scan from page 1's Start Scan ("errs" is written at its end).
scan_from_page_one() {
  wine reg delete "$settings" /v errs /f >/dev/null 2>&1
  click_ctl 1099
  wait_until 30 "scan categories page" page_shows 1021
  click_ctl 1021
}

# Only App Paths and Help Files, where a fresh prefix has no faults of its own.
plant_faults
set_switches 00001100000

case $check in
ignore_list_page)
  app_entry="$apppaths\\${token}_bad.exe|$gone\\app.exe"
  help_entry="$help\\${token}_bad.hlp|$gone"
  odd_entry="HKEY_LOCAL_MACHINE\\Kdx$token\\odd|"
  # A hand-damaged file: a category outside the table, a last category without its text.
  printf '%s\r\n' 42 "$odd_entry" 3 >"$prog/ignorelist.dat"
  start_keldrix -t
  wait_until 120 "end of the first scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the scan found $(setting errs) problems, not this test's 2"
  # Both results ignored on the results page.
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  expand_group 0
  wait_until 30 "first group open" test "$(list_items 3 | wc -l)" == 3
  ignore_row 1
  wait_until 30 "first result ignored" test "$(grep -c . "$prog/ignorelist.dat")" == 4
  expand_group 0
  wait_until 30 "second group open" test "$(list_items 2 | wc -l)" == 2
  ignore_row 1
  printf '%s\r\n' 42 "$odd_entry" 4 "$app_entry" 5 "$help_entry" >"$work/expected.dat"
  wait_until 30 "both results in the ignore list" cmp -s "$work/expected.dat" "$prog/ignorelist.dat"
  show_options
  click_ctl 1290
  wait_until 30 "ignore list page" page_shows 1291
  [ "$(column 1)" == "Application Path,Help Files,Unknown (42)" ] || fail "rows: $(column 1)"
  [ "$(column 2)" == "$app_entry,$help_entry,$odd_entry" ] || fail "entries: $(column 2)"
  screenshot page-ignore-list
  # Shown again, the list is filled anew and its order turns round.
  click_ctl 1298
  wait_until 30 "options page from its tab" page_shows 1087
  click_ctl 1290
  wait_until 30 "refilled rows in reverse" test "$(column 1)" == "Unknown (42),Help Files,Application Path"

  # "Registry Key" sorts by entry text, then the other way (a second click
  # elsewhere on the head, or it would be a double-click).
  read -r l t r b < <(inspect rows 1291 | awk '$1 == "col" && $2 == 1 { print $3, $4, $5, $6 }')
  for x in 60 160; do
    xdotool mousemove $((l + x)) $(((t + b) / 2)) click 1
    sorted=$(printf '%s\n' "$app_entry" "$help_entry" "$odd_entry" | LC_ALL=C sort $([ $x == 160 ] && echo -r) | paste -sd,)
    wait_until 30 "rows sorted by entry text" test "$(column 2)" == "$sorted"
  done

  # Remove the Help Files entry: the rows, the file and the next scan agree.
  read -r _ _ _ rl rt rr rb _ < <(row_of "$help_entry")
  xdotool mousemove $(((rl + rr) / 2)) $(((rt + rb) / 2)) click 1
  click_ctl 1292
  wait_until 30 "the two other rows after Remove" test "$(column 2)" == "${sorted/"$help_entry,"/}"
  printf '%s\r\n' 42 "$odd_entry" 4 "$app_entry" >"$work/expected.dat"
  cmp "$work/expected.dat" "$prog/ignorelist.dat" || fail "ignorelist.dat after Remove: $(cat -A "$prog/ignorelist.dat")"
  click_ctl 1366
  wait_until 30 "schedule page from the ignore list" text_is 1231 "Settings - Schedule"
  scan_from_page_one
  wait_until 120 "end of the scan after Remove" has_setting errs
  [ "$(setting errs),$(setting TotalHelpFileErrors),$(setting TotalAppPathErrors)" == 1,1,0 ] \
    || fail "after Remove: errs, help, app paths: $(setting errs),$(setting TotalHelpFileErrors),$(setting TotalAppPathErrors)"
  # The font and startup faults lie in categories switched off: skipped.
  [ "$(setting TotalFontErrors),$(setting TotalWinStartUpErrors)" == 0,0 ] || fail "switched-off categories were scanned"
  exit_keldrix
  ;;

options_page)
  start_keldrix -t
  wait_until 120 "end of the plain scan" has_setting errs
  [ "$(setting errs)" == 2 ] || fail "the plain scan found $(setting errs) problems, not this test's 2"
  show_options
  for id in 1016 1235 1274 1288 1289 1298 1394 1392; do
    ctl_visible $id && fail "control $id is shown"
  done
  ctl_enabled 1018 && ctl_enabled 1286 || fail "the restore option is greyed although SRCLIENT.DLL is there"
  screenshot page-options
  click_ctl 1287
  wait_until 30 "schedule page from the options" text_is 1231 "Settings - Schedule"
  show_options
  # Each click writes the box's new state, which shows what it held before:
  # with nothing stored, "autoupdate" and "checkprompt" ticked, the rest clear.
  for step in "1087 Shutdownafterclean 1" "1234 Shutdownafterclean 0" "1087 Shutdownafterclean 1" \
              "1236 repairafterfind 1" "1286 systemrestore 1" "1014 autoupdate 0" "1390 checkprompt 0"; do
    click_writes $step
  done

  # The next scan repairs at once, first asking for a restore point, which
  # Wine refuses: the message shows, the fix goes on, then the window hides.
  scan_from_page_one
  restore_message() { inspect box | grep -q "could not set the system restore point"; }
  wait_until 120 "restore point message" restore_message
  screenshot restore-point-message
  read -r bl bt br bb < <(inspect box)
  xdotool mousemove $(((bl + br) / 2)) $(((bt + bb) / 2)) click 1
  wait_until 120 "hidden window after the fix" main_hidden
  [ "$(setting FixedTotals)" == 2 ] || fail "FixedTotals is $(setting FixedTotals) after the fix"
  exit_keldrix

  # A loopback port that takes the update check's request line and closes
  # without an answer, as a closed port would end the check.
  python3 -c '
import socket, sys
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(8)
print(server.getsockname()[1], flush=True)
while True:
    client, _ = server.accept()
    client.settimeout(5)
    try:
        line = client.recv(4096).split(b"\r\n")[0]
    except OSError:
        line = b""
    with open(sys.argv[1], "ab") as requests:
        requests.write(line + b"\n")
    client.close()
' "$work/update-requests" >"$work/update-port" &
  pids+=($!)
  wait_until 30 "loopback update port" test -s "$work/update-port"

  # The next start reads the values back; without a restore service the
  # option is greyed and its text does nothing, and the value stays.
  KELDRIX_TEST_UPDATE_HOST=127.0.0.1:$(cat "$work/update-port") WINEDLLOVERRIDES=srclient=d start_keldrix
  show_options
  # "autoupdate" is 0 now: no check at start, and Update Now makes one.
  [ ! -s "$work/update-requests" ] || fail "an update check at start with autoupdate 0: $(cat "$work/update-requests")"
  click_ctl 1391
  update_asked() { grep -q '^GET /ombrelvin/updatecore.aspx?vid=' "$work/update-requests" 2>/dev/null; }
  wait_until 60 "update check from Update Now" update_asked
  ctl_enabled 1018 || ctl_enabled 1286 && fail "the restore option is offered without SRCLIENT.DLL"
  click_ctl 1286
  for step in "1234 Shutdownafterclean 0" "1236 repairafterfind 0" "1352 autoupdate 1" "1015 checkprompt 1"; do
    click_writes $step
  done
  [ "$(setting systemrestore)" == 1 ] || fail "systemrestore changed without a restore service"
  screenshot page-options-no-restore
  exit_keldrix
  ;;

options_tips)
  # Without "settings.xml" tips are on offer; the switch is stored at exit.
  rm "$prog/settings.xml"
  wine reg add "$settings" /v ShowTip /t REG_SZ /d 0 /f >/dev/null
  start_keldrix
  show_options
  ctl_visible 1394 || fail "the tips option is hidden"
  click_ctl 1392
  exit_keldrix
  [ "$(setting ShowTip)" == 1 ] || fail "ShowTip is $(setting ShowTip) after a click on the tips text"
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
