#!/usr/bin/env bash
# The last-scan pop-up and the tip of the day in the real Keldrix.exe.
#   popup-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

# The pop-up's or the tip's line, or that of their control $2 with the text $1.
other() {
  inspect others | awk -v t="$1" -v depth="${2:-0}" '$1 == "win" && $2 == depth {
    text = $0; for (i = 0; i < 10; i++) sub(/^[^ ]* /, "", text); if (text == t) { print; exit } }'
}
click_other() {
  read -r l t r b < <(other "$1" 1 | cut -d' ' -f7-10)
  [ -n "$b" ] || fail "no control '$1' to click"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

case $check in
stats_popup)
  start_keldrix
  wait_until 60 "visible main window" main_visible
  read -r sw sh < <(xdotool getdisplaygeometry)
  read -r v l t r b < <(other "" | cut -d' ' -f5,7-10)
  # "Show Last Scan" slides it into the screen's corner (no taskbar here), where it stays until closed.
  inspect post $WM_TRAY_NOTIFY 0 32790
  wait_until 30 "pop-up in the corner" eval '[ "$(other "" | cut -d" " -f5,7-10)" == "1 $((sw - r + l)) $((sh - b + t)) $sw $sh" ]'
  screenshot stats-popup
  click_other Close
  wait_until 30 "hidden pop-up" eval '[ "$(other "" | cut -d" " -f5)" == 0 ]'
  exit_keldrix
  ;;

tip_of_the_day)
  # Without "settings.xml" the tip number stays 0 and the tip shows at start.
  rm "$prog/settings.xml"
  start_keldrix
  wait_until 60 "tip of the day" eval '[ "$(other Keldrix | cut -d" " -f5)" == 1 ]'
  screenshot tip-of-the-day
  click_other ""   # the check box, the one control without a text
  click_other "Next >"
  click_other "OK"
  wait_until 30 "end of the tip" eval '[ -z "$(other Keldrix)" ]'
  exit_keldrix
  [ "$(setting ShowTip)" == 0 ] || fail "ShowTip is '$(setting ShowTip)' after the box was cleared"
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
