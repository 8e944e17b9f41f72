#!/usr/bin/env bash
# The e-mail sign-up dialog of the running program, which prompts after the
# update check at start: validation as the user types, the paste block, a web
# host that never answers, and "do not show again" read on every close; and
# its form post against the same loopback web host (email_post).
#   email-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/window-lib.sh"
FIRST=28672 LAST=28673 EMAIL=28674 CONFIRM=28675 SUBMIT=28677 NOSHOW=28678

# The loopback web host; the clean-up ends it with the program.
python3 "$here/signup_server.py" >"$work/port" &
pids+=($!)
wait_until 30 "loopback web host" test -s "$work/port"
export KELDRIX_TEST_WEB_HOST=127.0.0.1:$(cat "$work/port")
if [ "$check" == email_post ]; then
  wine "$bin/email_post_tests.exe" || fail "the form post tests failed"
  exit 0
fi
mode() { python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1])' "http://$KELDRIX_TEST_WEB_HOST/mode/$1"; }

# The controls are those of the sign-up dialog (or of its message box, on top).
dialog_title='Subscribe to the QuilloWorks Email Program'
dialog_open() { [ -n "$(ctl_line $FIRST)" ]; }
failure_shown() { tree | grep -qF 'We were unable to submit your request at this time.  Please try again later.'; }
# The input's colour at its right end, where the short texts do not reach: the page's valid or invalid.
marked() {
  local l t r b colour
  read -r l t r b < <(ctl_line "$1" | cut -d' ' -f7-10)
  colour=$([ "$2" == valid ] && echo '#F1FAF3' || echo '#FDF1EE')
  screenshot email-typing && [ "$(pixel $((r - 5)) $(((t + b) / 2)))" == "$colour" ]
}
# The row of "do not show again", right of its box, shows the page's pale ground
# and the blue of the privacy link; the dialog's picture goes to email-dialog.png.
privacy_link_shown() {
  local l t r b id
  read -r l t r b < <(ctl_line $NOSHOW | cut -d' ' -f7-10)
  id=$(xdotool search --onlyvisible --name "^$dialog_title\$" 2>/dev/null | head -1)
  [ -n "$id" ] && import -window root "$work/shot.png" || return 1
  (eval "$(xdotool getwindowgeometry --shell "$id")" &&
    convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/email-dialog.png")
  convert "$work/shot.png" -crop "300x$((b - t))+$r+$t" +repage "$work/row.png" &&
    [ "$(convert "$work/row.png" -fill black +opaque '#DFEEF8' -format '%[max]' info:)" != 0 ] &&
    [ "$(convert "$work/row.png" -fill black +opaque '#1E64A8' -format '%[max]' info:)" != 0 ]
}
prompt_is() { [ "$(wine reg query "$software" /v PromptForEmail 2>/dev/null | tr -d '\r' | awk '$1 == "PromptForEmail" { print $3 }')" == "$1" ]; }

# The run command's screenshot of the main window under the painted dialog:
# no black box (no painted window holds a solid black square) and the page's
# blue head shown.
run_shot_shows_dialog() {
  local main
  main=$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null | head -1)
  [ -n "$main" ] && bash "$here/../../../scripts/run.sh" --screenshot "$main" "$shots/run-command-with-sign-up.png" &&
    [ "$(convert "$shots/run-command-with-sign-up.png" -fill white +opaque black -morphology Dilate Square:8 -format '%[min]' info:)" != 0 ] &&
    [ "$(convert "$shots/run-command-with-sign-up.png" -fill black +opaque '#1E64A8' -format '%[max]' info:)" != 0 ]
}

# Started with 2, the value shows whether the program wrote it when the dialog closed.
prompt_for_email=1
[ "$check" == email_keep_prompt ] && prompt_for_email=2
expected_prompt=0
start_keldrix
wait_until 90 "e-mail sign-up dialog" dialog_open
if [ "$check" == email_keep_prompt ]; then
  run_shot_shows_dialog || fail "the run command's screenshot does not show the painted sign-up dialog"
fi
case $check in
email_typing)
  wait_until 20 "privacy link shown on the page's ground" privacy_link_shown
  ctl_enabled $SUBMIT && fail "Submit is enabled on an empty form"
  click_ctl $FIRST && xdotool type --delay 40 'A&B'
  wait_until 20 "first name marked valid" marked $FIRST valid
  # Copied and pasted into the last name: the paste works outside the address fields.
  xdotool key shift+Home ctrl+c && click_ctl $LAST && xdotool key ctrl+v
  wait_until 20 "last name pasted" text_is $LAST 'A&B'
  click_ctl $EMAIL && xdotool key ctrl+v && xdotool type --delay 40 'x'
  wait_until 20 "address marked invalid" marked $EMAIL invalid
  text_is $EMAIL x || fail "Ctrl+V pasted into the e-mail field"
  xdotool key BackSpace && xdotool type --delay 40 'ann@ex.com'
  wait_until 20 "address marked valid" marked $EMAIL valid
  click_ctl $CONFIRM && xdotool type --delay 40 'Ann@ex.com' && xdotool key ctrl+v
  wait_until 20 "confirmation differing in case marked invalid" marked $CONFIRM invalid
  text_is $CONFIRM 'Ann@ex.com' || fail "Ctrl+V pasted into the confirmation"
  ctl_enabled $SUBMIT && fail "Submit is enabled with a confirmation that differs"
  xdotool key Home Delete && xdotool type 'a'
  wait_until 20 "confirmation marked valid" marked $CONFIRM valid
  wait_until 20 "Submit enabled" ctl_enabled $SUBMIT
  # A host that never answers: the message after the time-out, and the dialog stays.
  mode silent && click_ctl $SUBMIT
  wait_until 60 "failure message" failure_shown
  screenshot email-failure
  xdotool key Return
  wait_until 20 "message closed" eval '! failure_shown'
  text_is $FIRST 'A&B' || fail "the dialog closed after a failed post"
  # An accepted post closes the dialog for good.
  mode spaced && click_ctl $SUBMIT
  wait_until 60 "dialog closed after the post" eval '! dialog_open'
  ;;
email_close_box | email_escape)
  # Without a window manager there is no close box to click: Alt+F4 sends its command.
  [ "$check" == email_close_box ] && key=alt+F4 || key=Escape
  click_ctl $NOSHOW && click_ctl $FIRST && xdotool key $key
  wait_until 30 "dialog closed" eval '! dialog_open'
  ;;
email_keep_prompt)
  # Closed without "do not show again": the prompt comes again at the next start.
  click_ctl $FIRST && xdotool key alt+F4
  wait_until 30 "dialog closed" eval '! dialog_open'
  expected_prompt=1
  ;;
*) fail "unknown check" ;;
esac
wait_until 20 "PromptForEmail $expected_prompt" prompt_is $expected_prompt
dialog_title=
exit_keldrix
