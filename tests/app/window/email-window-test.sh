#!/usr/bin/env bash
# The e-mail sign-up dialog of the running program, which prompts after the
# update check at start: validation as the user types, the paste block, a web
# host that never answers, and "do not show again" read on every close.
#   email-window-test.sh CHECK KELDRIX_EXE KINSPECT_EXE BUILD_DIR
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/window-lib.sh"
title='Subscribe to the QuilloWorks Email Program'
FIRST=28672 LAST=28673 EMAIL=28674 CONFIRM=28675 SUBMIT=28677 NOSHOW=28678
VALID='#F1FAF3' INVALID='#FDF1EE'

# The loopback web host; the clean-up ends it with the program.
python3 "$here/../signup_server.py" "$work/port" &
pids+=($!)
wait_until 30 "loopback web host" test -s "$work/port"
export KELDRIX_TEST_WEB_HOST=127.0.0.1:$(cat "$work/port")
host() { python3 -c 'import sys, urllib.request; sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' "http://$KELDRIX_TEST_WEB_HOST/$1"; }

dialog() { inspect dialog "$title"; }
dlg_line() { dialog | awk -v id="$1" '$1 == "win" && $2 == 1 && $3 == id { print; exit }'; }
dialog_open() { [ -n "$(dlg_line $FIRST)" ]; }
dialog_gone() { [ -z "$(dlg_line $FIRST)" ]; }
failure_shown() { dialog | grep -qF 'We were unable to submit your request at this time.  Please try again later.'; }
submit_enabled() { [ "$(dlg_line $SUBMIT | cut -d' ' -f6)" == 1 ]; }
click_in() {
  local l t r b
  read -r l t r b < <(dlg_line "$1" | cut -d' ' -f7-10)
  [ -n "$b" ] || fail "no control $1 in the dialog"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
type_into() { click_in "$1" && xdotool type --delay 40 "$2"; }
# The colour inside the right end of an input, where the short texts do not reach.
shade_is() {
  local l t r b
  read -r l t r b < <(dlg_line "$1" | cut -d' ' -f7-10)
  screenshot email-typing && [ "$(pixel $((r - 5)) $(((t + b) / 2)))" == "$2" ]
}
prompt_is() { [ "$(wine reg query "$software" /v PromptForEmail 2>/dev/null | tr -d '\r' | awk '$1 == "PromptForEmail" { print $3 }')" == "$1" ]; }

prompt_for_email=1
start_keldrix
wait_until 90 "e-mail sign-up dialog" dialog_open
screenshot email-start

case $check in
email_typing)
  submit_enabled && fail "Submit is enabled on an empty form"
  type_into $FIRST 'A&B'
  wait_until 20 "first name marked valid" shade_is $FIRST "$VALID"
  # Selected and copied: a paste that works elsewhere.
  xdotool key shift+Home ctrl+c
  click_in $LAST
  xdotool key ctrl+v
  wait_until 20 "last name pasted" eval '[ "$(dlg_line $LAST | cut -d" " -f11-)" == "A&B" ]'
  click_in $EMAIL
  xdotool key ctrl+v
  type_into $EMAIL 'x'
  wait_until 20 "address marked invalid" shade_is $EMAIL "$INVALID"
  [ "$(dlg_line $EMAIL | cut -d' ' -f11-)" == x ] || fail "Ctrl+V pasted into the e-mail field"
  xdotool key BackSpace && xdotool type --delay 40 'ann@ex.com'
  wait_until 20 "address marked valid" shade_is $EMAIL "$VALID"
  type_into $CONFIRM 'Ann@ex.com'
  wait_until 20 "confirmation differing in case marked invalid" shade_is $CONFIRM "$INVALID"
  submit_enabled && fail "Submit is enabled with a confirmation that differs"
  xdotool key ctrl+v
  [ "$(dlg_line $CONFIRM | cut -d' ' -f11-)" == 'Ann@ex.com' ] || fail "Ctrl+V pasted into the confirmation"
  xdotool key Home Delete && xdotool type 'a'
  wait_until 20 "confirmation marked valid" shade_is $CONFIRM "$VALID"
  wait_until 20 "Submit enabled" submit_enabled
  # A host that never answers: the message after the time-out, the dialog stays.
  host mode/silent >/dev/null
  click_in $SUBMIT
  wait_until 60 "failure message" failure_shown
  screenshot email-failure
  xdotool key Return
  wait_until 20 "message closed" eval '! failure_shown'
  dialog_open || fail "the dialog closed after a failed post"
  # An accepted post closes the dialog: no more prompts.
  host mode/spaced >/dev/null
  click_in $SUBMIT
  wait_until 60 "dialog closed after the post" dialog_gone
  [ "$(host last)" == $'/email/fromapp/\nContent-Type: application/x-www-form-urlencoded\npid=2&lid=en&cpid=1&uid=0&fname=A%26B&lname=A%26B&email=ann%40ex.com&subscribe=on' ] \
    || fail "posted: $(host last)"
  wait_until 20 "PromptForEmail 0" prompt_is 0
  ;;
email_close_box | email_escape)
  click_in $NOSHOW
  # Without a window manager there is no close box to click: Alt+F4 sends
  # the same system command.
  [ "$check" == email_close_box ] && key=alt+F4 || key=Escape
  click_in $FIRST && xdotool key $key
  wait_until 30 "dialog closed" dialog_gone
  wait_until 20 "PromptForEmail 0" prompt_is 0
  ;;
*) fail "unknown check" ;;
esac
exit_keldrix
