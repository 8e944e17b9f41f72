#!/usr/bin/env bash
# The backups page against the real Keldrix.exe: a fix of planted faults
# (Fix Errors on the results page) leaves a backup, the page lists it, and Restore brings
# the registry and the moved shortcut back exactly; a damaged backup is kept
# and reported, with nothing of it imported; Remove takes only the ticked row.
#   backups-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/window-lib.sh"

links="$WINEPREFIX/drive_c/KdxLinks_$token"
backups="$prog/Backup"
trap 'rm -rf "$links"; cleanup' EXIT

row_name() { row_line "$1" | cut -d' ' -f6- | cut -f1; }
# The screenshot $1 once row 0 is painted: its label holds dark text.
row_drawn() {
  screenshot "$1" && read -r _ l t r b _ < <(row_line 0) &&
    [ "$(convert "$work/shot.png" -crop "$((r - l))x$((b - t))+$l+$t" -format '%[fx:minima.r < 0.3]' info:)" == 1 ]
}
# Header column $1, clicked at $2 quarters of its width: two clicks at one spot would be a double-click.
click_column() {
  read -r l t r b < <(inspect rows 1202 | awk -v i="$1" '$1 == "col" && $2 == i { print $3, $4, $5, $6 }')
  xdotool mousemove $((l + (r - l) * $2 / 4)) $(((t + b) / 2)) click 1
}
export_faults() {
  mkdir -p "$work/$1"
  wine reg export "$apppaths\\${token}_bad.exe" "Z:${work//\//\\}\\$1\\apppaths.reg" /y >/dev/null 2>&1
  wine reg export "$help" "Z:${work//\//\\}\\$1\\help.reg" /y >/dev/null 2>&1
}
faults_absent() {
  ! wine reg query "$apppaths\\${token}_bad.exe" >/dev/null 2>&1 && ! wine reg query "$help" /v "${token}_bad.hlp" >/dev/null 2>&1
}
# Scans App Paths, Help Files (and with $2 1, program shortcuts), insists on
# exactly this test's $1 faults, and fixes them all with Fix Errors.
fix_faults() {
  set_switches "00001100${2:-0}00"
  start_keldrix -t
  wait_until 240 "end of the scan" has_setting errs
  [ "$(setting errs)" == "$1" ] || fail "the scan found $(setting errs) problems, not this test's $1"
  wait_until 30 "Next enabled" ctl_enabled 1306
  click_ctl 1306
  wait_until 30 "every problem ticked" text_is 1348 "$1 of $1 Errors Selected for Repair"
  click_ctl 1297
  wait_until 240 "statistics page after the fix" page_shows 1273
  faults_absent || fail "the fix left the registry faults"
  click_ctl 1020
  wait_until 30 "backups page" page_shows 1019
}

case $check in
backup_restore)
  plant_faults
  mkdir -p "$links"
  printf 'Set link = CreateObject("WScript.Shell").CreateShortcut("%s")\r\nlink.TargetPath = "%s"\r\nlink.Save\r\n' \
    "C:\\KdxLinks_$token\\Broken link.lnk" "$gone\\x.exe" >"$work/link.vbs"
  wine cscript //nologo "Z:${work//\//\\}\\link.vbs" >/dev/null 2>&1
  cp "$links/Broken link.lnk" "$work/link.before" || fail "the shortcut was not made"
  export_faults before
  fix_faults 3 1
  [ ! -e "$links/Broken link.lnk" ] || fail "the fix left the shortcut"
  name=$(basename "$(ls "$backups"/*.reg)" .reg)
  [ -f "$backups/$name.bak" ] || fail "no rename log beside $name.reg"

  wait_until 30 "one backup row" rows_are 1
  [ "$(row_name 0)" == "$name" ] || fail "the row is '$(row_name 0)', not $name"
  [[ $(row_line 0 | cut -f2) =~ ^[A-Z][a-z]+\ [0-9]{2},\ [0-9]{4}\ \([0-9]{2}:[0-9]{2}:[0-9]{2}\)$ ]] \
    || fail "date text '$(row_line 0 | cut -f2)'"
  wait_until 30 "painted row" row_drawn page-backups
  click_ctl 1019
  answer_box
  [ "$box_text" == "Restore Error || Please select at least one item to restore" ] || fail "box: $box_text"
  # A click on the row ticks it; Restore brings everything back.
  click_row 0
  wait_until 30 "ticked row" row_checked 0
  click_ctl 1019
  answer_box
  [ "$box_text" == "Successfully restored" ] || fail "restore said: $box_text"
  wait_until 30 "empty list" rows_are 0
  export_faults after
  cmp "$work/before/apppaths.reg" "$work/after/apppaths.reg" && cmp "$work/before/help.reg" "$work/after/help.reg" \
    || fail "the registry is not restored exactly"
  cmp "$work/link.before" "$links/Broken link.lnk" || fail "the shortcut is not back"
  [ -z "$(ls -A "$backups")" ] || fail "the restored backup left: $(ls -A "$backups")"
  exit_keldrix
  ;;

backup_damaged_remove)
  plant_faults
  fix_faults 2
  reg=$(ls "$backups"/*.reg)
  name=$(basename "$reg" .reg)
  # A second backup beside it, with a rename log and a shortcut folder.
  other="$backups/KeldrixBak_Other"
  mkdir "$other" && echo lnk >"$other/kept.lnk" && printf 'C:\\x.lnk,C:\\y\r\n' >"$other.bak" && cp "$reg" "$other.reg"
  (cd "$backups" && md5sum KeldrixBak_Other.reg KeldrixBak_Other.bak KeldrixBak_Other/*) >"$work/other.md5"
  # One line of the registry backup corrupted.
  sed -i "s/^\"${token}_bad.hlp\" = \"/\"${token}_bad.hlp\" = oops\"/" "$reg"
  grep -q "= oops" "$reg" || fail "the backup holds no line to corrupt"
  cp "$reg" "$work/damaged.reg"

  # Refilled on the next showing; sorted by name, then the other way.
  click_ctl 1262
  wait_until 30 "statistics page" page_shows 1273
  click_ctl 1020
  wait_until 30 "two backup rows" rows_are 2
  click_column 0 1
  wait_until 30 "rows by name" test "$(row_name 0)" == "$name"
  click_column 0 3
  wait_until 30 "rows by name, descending" test "$(row_name 0)" == KeldrixBak_Other
  click_row 1
  wait_until 30 "ticked damaged row" row_checked 1
  click_ctl 1019
  answer_box
  [[ $box_text == "Could not restore||$name: the registry backup is damaged"* ]] || fail "restore said: $box_text"
  faults_absent || fail "part of the damaged backup was imported"
  cmp "$reg" "$work/damaged.reg" || fail "the damaged backup was not kept as it was"
  wait_until 30 "both rows again" rows_are 2
  wait_until 30 "painted rows" row_drawn page-backups-damaged

  row=0
  [ "$(row_name 0)" == "$name" ] || row=1
  click_row $row
  wait_until 30 "ticked row" row_checked $row
  click_ctl 1113
  wait_until 30 "one row left" rows_are 1
  [ "$(row_name 0)" == KeldrixBak_Other ] && [ ! -e "$reg" ] || fail "Remove took the wrong backup"
  (cd "$backups" && md5sum -c --quiet "$work/other.md5") || fail "Remove touched the other backup"
  exit_keldrix
  ;;

backup_click_after_box)
  # Remove and Restore with nothing ticked say so and change nothing; the
  # first click after each message acts.
  mkdir -p "$backups"
  printf 'REGEDIT4\r\n\r\n' >"$backups/KeldrixBak_Click.reg"
  start_keldrix
  wait_until 60 "main window" main_visible
  click_ctl 1020
  wait_until 30 "one backup row" rows_are 1
  click_ctl 1113
  answer_box
  [ "$box_text" == "Remove Error || Please select at least one item to remove" ] || fail "Remove said: $box_text"
  [ -s "$backups/KeldrixBak_Click.reg" ] && rows_are 1 || fail "Remove with nothing ticked removed the backup"
  click_row 0
  wait_until 30 "the row ticked by the first click after Remove's message" row_checked 0
  # Unticked by a click beside the first one (two clicks at one spot would be a double-click).
  read -r l t r b < <(row_line 0 | cut -d' ' -f2-5)
  xdotool mousemove $((l + 10)) $(((t + b) / 2)) click 1
  wait_until 30 "the row unticked" eval '! row_checked 0'
  click_ctl 1019
  answer_box
  [ "$box_text" == "Restore Error || Please select at least one item to restore" ] || fail "Restore said: $box_text"
  [ -s "$backups/KeldrixBak_Click.reg" ] && rows_are 1 || fail "Restore with nothing ticked touched the backup"
  click_row 0
  wait_until 30 "the row ticked by the first click after Restore's message" row_checked 0
  click_ctl 1113
  wait_until 30 "the ticked backup removed" rows_are 0
  [ ! -e "$backups/KeldrixBak_Click.reg" ] || fail "Remove left the ticked backup"
  exit_keldrix
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
