#!/usr/bin/env bash
# The startup manager on the real Keldrix.exe: entries planted in the four
# places are listed and sorted, Toggle disables and enables one, a refused
# disable says why, Remove asks and removes (the registry checked each time).
#   startup-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

msconfig='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSConfig'
store="$msconfig\\startupreg"
user=${token}_user machine=${token}_machine dup=${token}_dup
startup_dir=$(winepath -u "$(inspect folder 7)")          # CSIDL_STARTUP
common_dir=$(winepath -u "$(inspect folder 24)")          # CSIDL_COMMON_STARTUP
[ -d "$startup_dir" ] && [ -d "$common_dir" ] || fail "no startup folders"

remove_planted() {
  local name
  for name in "$user" "$dup"; do wine reg delete "$userrun" /v "$name" /f; done
  for name in "$machine" "$dup"; do wine reg delete "$machinerun" /v "$name" /f; done
  for name in "$user" "$dup" "$machine"; do wine reg delete "$store\\$name" /f; done
  rm -f "$startup_dir/${token}_link.lnk" "$common_dir/${token}_common.lnk"
  wine reg delete "$msconfig\\startupfolder\\$link_record" /f
  rm -f "$pss_dir/${token}_link.lnkStartup"
  ((pss_made)) && rmdir "$pss_dir"
  ((store_made)) && wine reg delete "$msconfig" /f
} >/dev/null 2>&1
# A disabled Startup shortcut: its record (its path with "^" for "\") and its copy.
link_record=$(winepath -w "$startup_dir/${token}_link.lnk" | tr '\\' '^')
pss_dir=$(winepath -u "$(inspect folder 36)")/pss           # CSIDL_WINDOWS
store_made=0 pss_made=0
[ -d "$pss_dir" ] || pss_made=1
wine reg query "$msconfig" >/dev/null 2>&1 || store_made=1
trap 'remove_planted; cleanup' EXIT

# The row of program $1 in location $2: SELECTED L T R B PROGRAM<tab>COMMAND<tab>LOCATION<tab>STATUS.
tab=$'\t'
row_of() { inspect rows 1105 | sed -n 's/^row [0-9]* //p' | grep -F " $1$tab" | grep -F "$tab$2$tab"; }
status_is() { [ "$(row_of "$1" "$2" | cut -f4)" == "$3" ]; }
no_row() { [ -z "$(row_of "$1" "$2")" ]; }
selected() { [ "$(row_of "$1" "$2" | cut -d' ' -f1)" == 1 ]; }
select_row() {
  local l t r b
  read -r l t r b < <(row_of "$1" "$2" | cut -d' ' -f2-5)
  [ -n "$b" ] || fail "no row $1 in $2"
  xdotool mousemove $((l + 10)) $(((t + b) / 2)) click 1
  wait_until 30 "row $1 selected" selected "$1" "$2"
}
sorted() { inspect rows 1105 | sed -n 's/^row [0-9]* //p' | cut -d' ' -f6- | cut -f1 | LC_ALL=C sort -c ${1:-} 2>/dev/null; }
# The owner-drawn buttons take a second click on the same spot as a double
# click: each press is made on the other side of the last one.
side=20
press() {
  local l t r b
  read -r l t r b < <(ctl_line "$1" | cut -d' ' -f7-10)
  side=$((-side))
  xdotool mousemove $(((l + r) / 2 + side)) $(((t + b) / 2)) click 1
}
box_open() { inspect box >"$work/box.txt"; }
# Prints the open message box's text and clicks its first button (OK or Yes).
answer_box() {
  wait_until 30 "a message box" box_open
  sed -n 2p "$work/box.txt"
  read -r l t r b <"$work/box.txt"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  wait_until 30 "the message box closed" eval '! box_open'
}
# Column $1 (1 = Program ... 4 = Status) of every row, top to bottom.
column_of_rows() { inspect rows 1105 | sed -n 's/^row [0-9]* //p' | cut -d' ' -f6- | cut -f"$1"; }
column_sorted() { column_of_rows "$1" | LC_ALL=C sort -c ${2:-} 2>/dev/null; }
# Clicks heading $1, $2 pixels from its left edge (a second click elsewhere
# than the first, or the header takes the two as a double click).
click_heading() {
  local l t r b
  read -r l t r b < <(inspect rows 1105 | awk -v i="$1" '$1 == "col" && $2 == i { print $3, $4, $5, $6 }')
  [ -n "$b" ] || fail "no column heading $1"
  xdotool mousemove $((l + $2)) $(((t + b) / 2)) click 1
}
# Clicks No in the open Yes/No box: the button right of Yes, as wide as it.
answer_no() {
  wait_until 30 "a message box" box_open
  read -r l t r b <"$work/box.txt"
  xdotool mousemove $((r + (r - l) * 2 / 3)) $(((t + b) / 2)) click 1
  wait_until 30 "the message box closed" eval '! box_open'
}
value_of() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }

case $check in
startup_page)
  wine reg add "$userrun" /v "$user" /d "\"C:\\Kdx\\user.exe\" /min" /f >/dev/null
  wine reg add "$machinerun" /v "$machine" /d "C:\\Kdx\\machine.exe" /f >/dev/null
  wine reg add "$userrun" /v "$dup" /d "C:\\Kdx\\dup-user.exe" /f >/dev/null
  wine reg add "$machinerun" /v "$dup" /d "C:\\Kdx\\dup-machine.exe" /f >/dev/null
  echo link >"$startup_dir/${token}_link.lnk"
  echo common >"$common_dir/${token}_common.lnk"
  start_keldrix
  wait_until 60 "main window" main_visible
  click_ctl 1001
  wait_until 30 "startup page" page_shows 1105

  for place in "$user HKEY_CURRENT_USER/Run" "$machine HKLM/Run" "${token}_link Startup" "${token}_common Common Startup"; do
    status_is "${place%% *}" "${place#* }" Enabled || fail "not listed: $place"
  done
  [ "$(row_of "$user" HKEY_CURRENT_USER/Run | cut -f2)" == '"C:\Kdx\user.exe" /min' ] || fail "command of $user"
  sorted || fail "not sorted by program"
  read -r l t < <(ctl_line 1105 | cut -d' ' -f7-8)
  xdotool mousemove $((l + 60)) $((t + 8)) click 1
  wait_until 30 "descending order after a click on Program" sorted -r
  screenshot page-startup

  # Toggle: the Run value into the store and back as it was.
  select_row "$user" HKEY_CURRENT_USER/Run
  press 1114
  wait_until 30 "$user disabled" status_is "$user" HKEY_CURRENT_USER/Run Disabled
  [ -z "$(value_of "$userrun" "$user")" ] || fail "the disabled entry is still in the Run key"
  [ "$(value_of "$store\\$user" command)" == '"C:\Kdx\user.exe" /min' ] || fail "no record of $user"
  press 1114
  wait_until 30 "$user enabled" status_is "$user" HKEY_CURRENT_USER/Run Enabled
  [ "$(value_of "$userrun" "$user")" == '"C:\Kdx\user.exe" /min' ] || fail "$user is not back as it was"
  wine reg query "$store\\$user" >/dev/null 2>&1 && fail "the record stays after the enable"

  # A second item of a kept name is refused, and the user is told why.
  select_row "$dup" HKEY_CURRENT_USER/Run
  press 1114
  wait_until 30 "$dup disabled" status_is "$dup" HKEY_CURRENT_USER/Run Disabled
  select_row "$dup" HKLM/Run
  press 1114
  said=$(answer_box)
  [[ $said == "A disabled item named \"$dup\" is already kept."* ]] || fail "refusal said: $said"
  status_is "$dup" HKLM/Run Enabled || fail "the refused row changed"
  [ "$(value_of "$machinerun" "$dup")" == 'C:\Kdx\dup-machine.exe' ] || fail "the refused entry moved"
  [ "$(value_of "$store\\$dup" command)" == 'C:\Kdx\dup-user.exe' ] || fail "the kept record was overwritten"

  # Remove asks, then deletes exactly the row's entry: a Run value, a record.
  select_row "$machine" HKLM/Run
  press 1113
  said=$(answer_box)
  [ "$said" == "You are about to change the registry settings. Please confirm you want to perform this operation." ] \
    || fail "question: $said"
  wait_until 30 "removed row gone" no_row "$machine" HKLM/Run
  [ -z "$(value_of "$machinerun" "$machine")" ] || fail "the removed entry is still in the Run key"
  select_row "$dup" HKEY_CURRENT_USER/Run
  press 1113
  answer_box >/dev/null
  wait_until 30 "removed disabled row gone" no_row "$dup" HKEY_CURRENT_USER/Run
  wine reg query "$store\\$dup" >/dev/null 2>&1 && fail "the removed record is still kept"
  [ -n "$(value_of "$machinerun" "$dup")" ] || fail "Remove took another entry"
  exit_keldrix
  ;;

startup_all)
  # Disable All and Enable All move every row but the one that cannot move,
  # and say why; the Location and Status headings sort; No keeps the row.
  wine reg add "$userrun" /v "$user" /d "C:\\Kdx\\user.exe" /f >/dev/null
  wine reg add "$machinerun" /v "$machine" /d "C:\\Kdx\\machine.exe" /f >/dev/null
  wine reg add "$userrun" /v "$dup" /d "C:\\Kdx\\dup-user.exe" /f >/dev/null
  wine reg add "$machinerun" /v "$dup" /d "C:\\Kdx\\dup-machine.exe" /f >/dev/null
  echo link >"$startup_dir/${token}_link.lnk"
  start_keldrix
  wait_until 60 "main window" main_visible
  click_ctl 1001
  wait_until 30 "startup page" page_shows 1105
  for place in "$user HKEY_CURRENT_USER/Run" "$machine HKLM/Run" "$dup HKEY_CURRENT_USER/Run" "$dup HKLM/Run" \
               "${token}_link Startup"; do
    status_is "${place%% *}" "${place#* }" Enabled || fail "not listed: $place"
  done
  column_sorted 3 && fail "the rows are in location order before the sort: the check would prove nothing"
  click_heading 2 20
  wait_until 30 "rows in location order" column_sorted 3

  # The second item named $dup cannot be kept beside the first: it alone stays.
  press 1115
  said=$(answer_box)
  [[ $said == "A disabled item named \"$dup\" is already kept."* ]] || fail "Disable All said: $said"
  for place in "$user HKEY_CURRENT_USER/Run" "$machine HKLM/Run" "${token}_link Startup"; do
    status_is "${place%% *}" "${place#* }" Disabled || fail "not disabled: $place"
  done
  [ "$({ row_of "$dup" HKEY_CURRENT_USER/Run; row_of "$dup" HKLM/Run; } | cut -f4 | sort | tr '\n' ' ')" \
    == "Disabled Enabled " ] || fail "both or neither $dup moved"
  [ -z "$(value_of "$userrun" "$user")$(value_of "$machinerun" "$machine")" ] || fail "a disabled entry stays in Run"
  [ "$(value_of "$store\\$machine" command)" == 'C:\Kdx\machine.exe' ] || fail "no record of $machine"
  wine reg query "$msconfig\\startupfolder\\$link_record" >/dev/null 2>&1 || fail "no record of the shortcut"
  [ ! -e "$startup_dir/${token}_link.lnk" ] || fail "the disabled shortcut stays in its folder"

  click_heading 3 20
  wait_until 30 "disabled rows first" column_sorted 4
  [ "$(column_of_rows 4 | head -1)" == Disabled ] || fail "no disabled row first"
  click_heading 3 50
  wait_until 30 "enabled rows first" column_sorted 4 -r

  # Another program now has a Run value named $user: its enable is refused.
  wine reg add "$userrun" /v "$user" /d "C:\\Other\\user.exe" /f >/dev/null
  press 1116
  said=$(answer_box)
  [ "$said" == "HKEY_CURRENT_USER/Run already holds another item named \"$user\"." ] || fail "Enable All said: $said"
  for place in "$machine HKLM/Run" "$dup HKEY_CURRENT_USER/Run" "$dup HKLM/Run" "${token}_link Startup"; do
    status_is "${place%% *}" "${place#* }" Enabled || fail "not enabled: $place"
  done
  status_is "$user" HKEY_CURRENT_USER/Run Disabled || fail "the refused row moved"
  [ "$(value_of "$userrun" "$user")" == 'C:\Other\user.exe' ] || fail "the other program's entry was overwritten"
  [ "$(value_of "$store\\$user" command)" == 'C:\Kdx\user.exe' ] || fail "the refused item's record is gone"
  [ "$(value_of "$machinerun" "$machine")" == 'C:\Kdx\machine.exe' ] || fail "$machine is not back"
  [ "$(cat "$startup_dir/${token}_link.lnk" 2>/dev/null)" == link ] || fail "the shortcut is not back"

  # No to the Remove question: nothing changes.
  rows_before=$(inspect rows 1105 | grep -c '^row ')
  select_row "$user" HKEY_CURRENT_USER/Run
  press 1113
  answer_no
  # The list answers once the button's handler has returned.
  [ "$(inspect rows 1105 | grep -c '^row ')" == "$rows_before" ] || fail "a row went after No"
  status_is "$user" HKEY_CURRENT_USER/Run Disabled || fail "the row changed after No"
  [ "$(value_of "$store\\$user" command)" == 'C:\Kdx\user.exe' ] || fail "the record went after No"
  [ "$(value_of "$userrun" "$user")" == 'C:\Other\user.exe' ] || fail "the Run value changed after No"
  exit_keldrix
  ;;

startup_click_after_box)
  # The first click after a message box acts: Disable All after the
  # nothing-selected box, Enable All after No to the Remove question.
  trap 'wine reg delete "$store\\$machine" /f >/dev/null 2>&1; remove_planted; cleanup' EXIT
  wine reg add "$userrun" /v "$user" /d "C:\\Kdx\\user.exe" /f >/dev/null
  wine reg add "$machinerun" /v "$machine" /d "C:\\Kdx\\machine.exe" /f >/dev/null
  start_keldrix
  wait_until 60 "main window" main_visible
  click_ctl 1001
  wait_until 30 "startup page" page_shows 1105
  status_is "$user" HKEY_CURRENT_USER/Run Enabled && status_is "$machine" HKLM/Run Enabled || fail "planted items not listed"
  [ -z "$(inspect rows 1105 | awk '$1 == "row" && $3 == 1')" ] || fail "a row is selected at the start"
  press 1113
  said=$(answer_box)
  [ "$said" == "You have not checked anything to Remove" ] || fail "Remove with nothing selected said: $said"
  press 1115
  wait_until 30 "everything disabled by one click on Disable All" status_is "$user" HKEY_CURRENT_USER/Run Disabled
  status_is "$machine" HKLM/Run Disabled || fail "Disable All left $machine"
  select_row "$user" HKEY_CURRENT_USER/Run
  press 1113
  wait_until 30 "the question" box_open
  [ "$(sed -n 2p "$work/box.txt")" == "You are about to change the registry settings. Please confirm you want to perform this operation." ] \
    || fail "question: $(sed -n 2p "$work/box.txt")"
  read -r l t r b < <(inspect dialog Warning | awk '$1 == "win" && $3 == 7 { print $7, $8, $9, $10 }')
  [ -n "$b" ] || fail "no No button in the question"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  wait_until 30 "the question closed" eval '! box_open'
  status_is "$user" HKEY_CURRENT_USER/Run Disabled || fail "No removed or changed the row"
  press 1116
  wait_until 30 "everything enabled by one click on Enable All" status_is "$user" HKEY_CURRENT_USER/Run Enabled
  status_is "$machine" HKLM/Run Enabled || fail "Enable All left $machine"
  [ "$(value_of "$userrun" "$user")" == 'C:\Kdx\user.exe' ] || fail "$user is not back in the Run key"
  exit_keldrix
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
