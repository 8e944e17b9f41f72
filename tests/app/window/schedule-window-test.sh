#!/usr/bin/env bash
# The schedule page of the real Keldrix.exe: its list of the scan task's
# triggers, and Set Schedule with the program's own weekly schedule dialog
# (Wine's scheduler offers no schedule page of its own), driven by xdotool.
#   schedule-window-test.sh CHECK KELDRIX_EXE KINSPECT_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

dialog=Schedule
scan_task="$taskdir/Keldrix.job"
lines() { inspect lines 1108; }
lines_are() { [ "$(lines)" == "$1" ]; }
dialog_gone() { ! dlg_shown "$dialog"; }

# The schedule page, reached as a user does: Options, then its schedule tab.
open_schedule_page() {
  click_ctl 1002
  wait_until 30 "options page" page_shows 1287
  click_ctl 1287
  wait_until 30 "schedule page" page_shows 1108
}

# Set Schedule, and the dialog it opens.
open_dialog() {
  click_ctl 1366
  wait_until 30 "schedule dialog" dlg_shown "$dialog"
}
click_dlg() { click_line "$(dlg_line "$dialog" "$1")"; }
# type_into ID TEXT: the edit box's text replaced by typing.
type_into() {
  click_dlg "$1"
  xdotool key End BackSpace BackSpace BackSpace
  xdotool type "$2"
  wait_until 10 "text $2 in box $1" test "$(dlg_line "$dialog" "$1" | cut -d' ' -f11-)" == "$2"
}

case $check in
schedule_page)
  # The scan task as the first run makes it: one weekly line.
  set_task_aside Keldrix
  start_keldrix
  wait_until 60 "visible main window" main_visible
  wait_until 60 "scan task of the first run" test -s "$scan_task"
  open_schedule_page
  [ "$(ctl_text 1367)" == "Keldrix is scheduled to run at:" ] || fail "heading: $(ctl_text 1367)"
  wait_until 10 "one line" test "$(lines | wc -l)" == 1
  grep -qxE 'At [34]:[0-5][0-9] every Sun, Thu of every week, starting 1/1/2006' <<<"$(lines)" \
    || fail "the first run's trigger shows as: $(lines)"
  screenshot page-schedule
  exit_keldrix
  ;;

schedule_set)
  # No scan task and no first run: the page says so.
  set_task_aside Keldrix
  wine reg add "$settings" /v FirstTime /d 0 /f >/dev/null
  wine reg add "$settings" /v FirstSincePatch /d 0 /f >/dev/null
  start_keldrix
  wait_until 60 "visible main window" main_visible
  open_schedule_page
  wait_until 10 "inactive line" lines_are "System scan schedule is not active"
  screenshot page-schedule-inactive

  # Cancel makes nothing; the dialog offers Sunday and Thursday at 3:00.
  open_dialog
  [ "$(dlg_line "$dialog" 1407 | cut -d' ' -f11-)" == 3 ] || fail "hour box: $(dlg_line "$dialog" 1407)"
  [ "$(dlg_line "$dialog" 1408 | cut -d' ' -f11-)" == 00 ] || fail "minute box: $(dlg_line "$dialog" 1408)"
  screenshot dialog-schedule
  [ -e "$scan_task" ] && fail "a task was made before OK"
  click_dlg 2
  wait_until 30 "dialog closed by Cancel" dialog_gone
  wait_until 10 "inactive line after Cancel" lines_are "System scan schedule is not active"
  [ -e "$scan_task" ] && fail "Cancel made a task"

  # OK makes the task with the days and time chosen: Thursday off, Tuesday on, 21:45.
  open_dialog
  click_dlg 1404
  click_dlg 1402
  type_into 1407 21
  type_into 1408 45
  click_dlg 1
  wait_until 30 "dialog closed by OK" dialog_gone
  wait_until 10 "the new trigger" lines_are "At 21:45 every Sun, Tue of every week, starting 1/1/2006"
  [ -s "$scan_task" ] || fail "OK made no task"
  screenshot page-schedule-set

  # Opened again, the dialog edits that trigger: still one line.
  open_dialog
  [ "$(dlg_line "$dialog" 1407 | cut -d' ' -f11-)" == 21 ] || fail "hour box: $(dlg_line "$dialog" 1407)"
  type_into 1408 5
  click_dlg 1
  wait_until 30 "dialog closed by OK" dialog_gone
  wait_until 10 "the changed trigger" lines_are "At 21:05 every Sun, Tue of every week, starting 1/1/2006"
  exit_keldrix
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
