#!/usr/bin/env bash
# The schedule page of the real Keldrix.exe: its list of the scan task's
# triggers, and Set Schedule with the program's own weekly schedule dialog
# (Wine's scheduler offers no schedule page of its own), driven by xdotool.
#   schedule-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

scan_task="$taskdir/Keldrix.job"
lines_are() { [ "$(inspect lines 1108)" == "$1" ]; }
dialog() { xdotool search --onlyvisible --name '^Schedule$' 2>/dev/null | head -1; }
dialog_shown() { [ -n "$(dialog)" ]; }
dialog_gone() { ! dialog_shown; }
# Set Schedule; keys (xdotool key arguments) typed into the dialog it opens,
# whose focus starts on the Sunday box; the dialog must close.
set_schedule() {
  click_ctl 1366
  wait_until 30 "schedule dialog" dialog_shown
  xdotool windowfocus --sync "$(dialog)"
  [ -z "${shot:-}" ] || screenshot "$shot"
  xdotool key --delay 50 "$@"
  wait_until 30 "schedule dialog closed" dialog_gone
}

# The page as a user reaches it: Options, then its schedule tab.
open_schedule_page() {
  click_ctl 1002
  wait_until 30 "options page" page_shows 1287
  click_ctl 1287
  wait_until 30 "schedule page" page_shows 1108
}

case $check in
schedule_set)
  # No scan task and no first run: the page says so.
  set_task_aside Keldrix
  wine reg add "$settings" /v FirstTime /d 0 /f >/dev/null
  wine reg add "$settings" /v FirstSincePatch /d 0 /f >/dev/null
  start_keldrix
  wait_until 60 "visible main window" main_visible
  open_schedule_page
  [ "$(ctl_text 1367)" == "Keldrix is scheduled to run at:" ] || fail "heading: $(ctl_text 1367)"
  wait_until 10 "inactive line" lines_are "System scan schedule is not active"
  screenshot page-schedule-inactive

  # Cancel makes nothing.
  shot=dialog-schedule set_schedule Escape
  wait_until 10 "inactive line after Cancel" lines_are "System scan schedule is not active"
  [ -e "$scan_task" ] && fail "Cancel made a task"

  # OK makes the task with its one trigger: the offered Sunday and Thursday at
  # 3:00 changed to Sunday and Tuesday at 21:45.
  set_schedule Tab Tab space Tab Tab space Tab Tab Tab 2 1 Tab 4 5 Return
  wait_until 10 "the new trigger" lines_are "At 21:45 every Sun, Tue of every week, starting 1/1/2006"
  [ -s "$scan_task" ] || fail "OK made no task"
  screenshot page-schedule

  # Opened again, the dialog edits that trigger: still one line.
  set_schedule Tab Tab Tab Tab Tab Tab Tab Tab 0 5 Return
  wait_until 10 "the changed trigger" lines_are "At 21:05 every Sun, Tue of every week, starting 1/1/2006"

  # Its tabs lead to the ignore-list and options pages.
  click_ctl 1290
  wait_until 30 "ignore-list page" page_shows 1291
  open_schedule_page
  click_ctl 1365
  wait_until 30 "options page" page_shows 1287
  exit_keldrix
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
