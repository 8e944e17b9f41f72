#!/usr/bin/env bash
# The last-scan pop-up sliding beside the (absent) taskbar and the tip of the
# day, driven in the real Keldrix.exe (see window-lib.sh for the set-up).
#   popup-window-test.sh CHECK KELDRIX_EXE KINSPECT_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"
ID_TRAY_SHOWLASTSCAN=32790

# watch_popup FILE: records the pop-up's rectangles into FILE from now on,
# until it has rested after a change; returns once the recording runs.
watch_popup() {
  # Straight to the file: a pipe would hold the lines back.
  wine "$inspector" watch-popup 60000 >"$1" 2>/dev/null &
  watcher=$!
  pids+=("$watcher")
  wait_until 60 "pop-up watcher" grep -q ready "$1"
}
# The recorded rectangles once the pop-up has rested: "VISIBLE L T R B" per line.
rested_rects() {
  wait_until 90 "end of the slide" ended "$watcher"
  tr -d '\r' <"$1" | grep -v ready | cut -d' ' -f2-
}
# others_ctl TEXT: the line of the pop-up's or the tip's control with that text.
others_ctl() {
  inspect others | awk -v t="$1" '$1 == "win" {
    text = $0; for (i = 0; i < 10; i++) sub(/^[^ ]* /, "", text)
    if (text == t) { print; exit } }'
}
click_other() {
  local l t r b
  read -r l t r b < <(others_ctl "$1" | cut -d' ' -f7-10)
  [ -n "$b" ] || fail "no control '$1' to click"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

case $check in
stats_popup)
  wine reg add "$settings" /v errs /t REG_SZ /d 7 /f >/dev/null
  wine reg add "$settings" /v FixedTotals /t REG_SZ /d 3 /f >/dev/null
  start_keldrix
  wait_until 60 "visible main window" main_visible
  read -r sw sh < <(xdotool getdisplaygeometry)

  # "Show Last Scan": the pop-up grows out of the screen's bottom-right corner.
  watch_popup "$work/in.txt"
  inspect post $WM_TRAY_NOTIFY 0 $ID_TRAY_SHOWLASTSCAN || fail "no main window"
  rested_rects "$work/in.txt" >"$work/in-rects.txt"
  cat "$work/in-rects.txt"
  read -r v0 l0 t0 r0 b0 < <(head -1 "$work/in-rects.txt")
  [ "$v0" == 0 ] || fail "the pop-up was visible before the command"
  width=$((r0 - l0)) height=$((b0 - t0))
  read -r v l t r b < <(tail -1 "$work/in-rects.txt")
  [ "$v $l $t $r $b" == "1 $((sw - width)) $((sh - height)) $sw $sh" ] ||
    fail "the pop-up rests at $l $t $r $b, not in the corner of ${width}x$height"
  # Every sampled frame of the slide stands in the corner, taller than the last.
  last=-1 frames=0
  while read -r v l t r b; do
    [ "$v" == 1 ] || continue
    [ "$r $b" == "$sw $sh" ] && ((r - l == width)) || fail "a frame at $l $t $r $b"
    ((b - t > last)) || fail "the slide-in shrank to $((b - t))"
    ((b - t < height)) && frames=$((frames + 1))
    last=$((b - t))
  done <"$work/in-rects.txt"
  ((frames >= 3)) || fail "only $frames frames of the slide-in were seen"
  screenshot stats-popup
  # The page is drawn: its blue head across the pop-up's top.
  convert "$work/shot.png" -crop "1x40+$((sw - width / 2))+$((sh - height))" -depth 8 txt:- | grep -q '#1E64A8' ||
    fail "the page's head is not drawn"

  # Its page's button slides it back into the screen's edge.
  watch_popup "$work/out.txt"
  click_other Close
  rested_rects "$work/out.txt" >"$work/out-rects.txt"
  cat "$work/out-rects.txt"
  [ "$(tail -1 "$work/out-rects.txt" | cut -d' ' -f1)" == 0 ] || fail "the pop-up is still shown"
  last=$((height + 1)) frames=0
  while read -r v l t r b; do
    [ "$v" == 1 ] || continue
    [ "$r $b" == "$sw $sh" ] || fail "a frame at $l $t $r $b"
    ((b - t < last)) || fail "the slide-out grew to $((b - t))"
    ((b - t < height)) && frames=$((frames + 1))
    last=$((b - t))
  done <"$work/out-rects.txt"
  ((frames >= 3)) || fail "only $frames frames of the slide-out were seen"
  exit_keldrix
  ;;

tip_of_the_day)
  # Without "settings.xml" the tip number stays 0: the tip shows at start.
  rm "$prog/settings.xml"
  start_keldrix
  tip_shown() { inspect others | grep -q '^top 1 .* Keldrix$'; }
  wait_until 60 "tip of the day" tip_shown
  screenshot tip-of-the-day
  click_other ""   # the check box, the one control without a text
  click_other "Next >"
  click_other "OK"
  tip_gone() { ! inspect others | grep -q '^top 1 .* Keldrix$'; }
  wait_until 30 "end of the tip" tip_gone
  exit_keldrix
  [ "$(setting ShowTip)" == 0 ] || fail "ShowTip is '$(setting ShowTip)' after the box was cleared"
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
