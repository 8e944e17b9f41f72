#!/usr/bin/env bash
# Keldrix as a user has it: installed by scripts/install.sh and started by the
# run command, and the whole road of a scan in a fresh prefix of its own.
#   installed-window-test.sh CHECK KELDRIX_EXE PROBE_EXE BUILD_DIR
here=$(dirname "${BASH_SOURCE[0]}")
root=$(cd "$here/../../.." && pwd)
road_prefix=""
if [ "$1" == whole_road ]; then
  # A fresh prefix of its own: nothing of it is shared with the other tests.
  road_prefix=$(mktemp -d "$4/road-prefix.XXXXXX")
  export WINEPREFIX=$road_prefix
  timeout 300 wineboot -i >/dev/null 2>&1 || { echo "FAIL: no fresh prefix" >&2; rm -rf "$road_prefix"; exit 1; }
  wineserver -p
fi
source "$here/window-lib.sh"

road_cleanup() {
  cleanup
  if [ -n "$road_prefix" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -rf "$road_prefix"
  fi
}
trap road_cleanup EXIT

# The running processes of this prefix whose command line names Keldrix.exe.
keldrix_processes() {
  local p
  for p in /proc/[0-9]*; do
    {
      [[ $(readlink "$p/exe") == */wine* ]] || continue
      tr '\0' '\n' <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
      tr '\0' ' ' <"$p/cmdline" | grep -qi 'keldrix\.exe' && echo "${p#/proc/}"
    } 2>/dev/null
  done
}
no_keldrix_process() { [ -z "$(keldrix_processes)" ]; }
shown_page() { tree | awk '$1 == "page" && $2 == 1'; }
page_changed_from() { local now; now=$(shown_page) && [ -n "$now" ] && [ "$now" != "$1" ]; }
# Clicks a navigation button and saves a screenshot of the page it shows.
visit_page() {
  local before
  before=$(shown_page)
  click_ctl "$1"
  wait_until 30 "the page of button $1" page_changed_from "$before"
  screenshot "$2"
}

case $check in
run_command)
  # The run command's own install-and-start path, without set-up and build.
  wine reg add "$software" /v PromptForEmail /d 0 /f >/dev/null
  KELDRIX_BUILD=$build bash "$root/scripts/run.sh" --no-build >"$work/run.txt" 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_until 120 "the Keldrix window" main_visible
  [ -n "$(xdotool search --onlyvisible --name '^Keldrix$' 2>/dev/null)" ] || fail "no visible window titled Keldrix"
  # It runs from the installed folder: its start-up log is written there.
  wait_until 120 "start-up log in the installed folder" test -s "$prog/Logs/SystemInfo.zip"
  grep -q . "$WINEPREFIX/drive_c/ProgramData/keldrix/whitelist.dat" || fail "no whitelist installed"
  page_shows 1021 || fail "the scan categories page is not shown"
  screenshot run-command
  tray_menu_exit
  wait_until 60 "end of the run command" ended "$pid"
  wait "$pid" || fail "the run command ended with $?: $(cat "$work/run.txt")"
  wait_until 30 "no Keldrix process" no_keldrix_process
  ;;

whole_road)
  guid="{$(tr 'a-z' 'A-Z' </proc/sys/kernel/random/uuid)}"
  d="C:\\KdxRoad_$token"
  tree="$WINEPREFIX/drive_c/KdxRoad_$token"
  source "$root/tests/scantool/lib/plant.sh"
  # A first start (to the tray) settles what Wine adds to a fresh prefix then.
  start_keldrix -Tray
  wait_until 60 "tray icon" tray_icon_shown
  tray_menu_exit
  wait_until 60 "end of the first start" ended "$pid"

  plant_all || fail "the plants are missing"
  # A broken path that the installed whitelist hides by its key ("\Software\Keldrix").
  whitelisted="HKEY_CURRENT_USER\\Software\\KeldrixWl_$token"
  wine reg add "$whitelisted" /v bad /d "$gone\\file.txt" /f >/dev/null || fail "no whitelisted key"
  # The engine's console tool scans the same registry and drive: what the
  # prefix reports of its own goes on the program's ignore list beside the
  # broken font "_ign", so that only the planted faults remain (its file-path
  # category also reports several of the planted values).
  mkdir -p "$tree/base"
  cp "$bin/scantool.exe" "$tree/base/" || fail "no scantool.exe beside the program"
  base_scan() { wine "$d\\base\\scantool.exe" scan 0 1 2 3 4 5 6 7 8 9 10 2>/dev/null | tr -d '\r' >"$work/base.txt"; }
  base_scan
  {
    printf '2\r\n%s\\%s_ign (TrueType)|%s_ign.ttf\r\n' "$fonts" "$token" "$token"
    grep -v "$token" "$work/base.txt" | awk -F'\t' '$1 ~ /^[0-9]+$/ { printf "%s\r\n%s\\%s|%s\r\n", $1, $2, $3, $4 }'
  } >"$prog/ignorelist.dat"
  cp "$prog/ignorelist.dat" "$tree/base/"
  base_scan
  rm -rf "$tree/base"
  read -r -a counts < <(awk -F'\t' '$1 == "counts" { $1 = ""; print }' "$work/base.txt")
  [ ${#counts[@]} == 11 ] || fail "no counts from scantool: $(cat "$work/base.txt")"
  grep -E "${token}_ok|${token}ok|_ign|KeldrixWl_|_e\\\\full" "$work/base.txt" && fail "scantool reports healthy, ignored or whitelisted entries"
  grep '^[0-9]' "$work/base.txt" | grep -v "$token" && fail "the prefix's own findings are not ignored"
  ours=$(grep -c "^[0-9].*$token" "$work/base.txt")
  snapshot before
  wine reg add "$settings" /v systemrestore /t REG_SZ /d 0 /f >/dev/null

  # "-t": the progress page runs through the eleven rows.
  start_keldrix -t
  wait_until 60 "progress page after -t" page_shows 1395
  wait_until 300 "end of the scan" text_is 1342 "System scan and detection."
  screenshot road-1-progress
  total=0
  for i in "${!counts[@]}"; do
    want=${counts[$i]}
    text_is $((1331 + i)) "$want" || fail "category $i counts '$(ctl_text $((1331 + i)))', not $want"
    [ "$(setting "${found_names[$i]}")" == "$want" ] || fail "${found_names[$i]} is $(setting "${found_names[$i]}")"
    total=$((total + want))
  done
  text_is 1344 "$total Problem(s) Found" || fail "total: $(ctl_text 1344), not $total"

  # Next: every problem ticked; the last group (File Associations) holds only
  # the planted one, which no other category reports: opened, and unticked by
  # the group's box (its row is cut by the list's bottom edge).
  click_ctl 1306
  wait_until 30 "results page" page_shows 1297
  wait_until 30 "everything ticked" counter_is "$total" "$total"
  screenshot road-2-results
  expand_group 10
  tick_row 10
  wait_until 30 "one unticked" counter_is $((total - 1)) "$total"
  screenshot road-3-unticked

  # Fix Errors: the planted keys lose exactly the ticked faults; the shortcut moves aside.
  click_ctl 1297
  wait_until 300 "statistics page after the fix" page_shows 1273
  screenshot road-4-statistics
  snapshot fixed
  expect_changes before fixed clsid uninstbad fonts shared appbad help userrun machinerun fpmachine fpuser empty \
    || fail "the fix changed more or less than the ticked faults"
  [ ! -e "$tree/Menu/${token}_bad.lnk" ] && [ -f "$tree/Menu/${token}_ok.lnk" ] || fail "the shortcuts are not where they belong"

  # The statistics: each category's fixed and found figures as stored; every
  # ticked fault is counted fixed, but in the file-path category, whose values
  # earlier categories may have taken with their keys.
  for i in "${!fixed_names[@]}"; do
    fixed=$(setting "${fixed_names[$i]}")
    case $i in
      7) ;;
      10) [ "$fixed" == 0 ] || fail "the unticked association counts $fixed fixed" ;;
      *) [ "$fixed" == "${counts[$i]}" ] || fail "${fixed_names[$i]} is $fixed, not ${counts[$i]}" ;;
    esac
    page_text_is "${fixed_ids[$i]}" "$fixed" || fail "fixed label of category $i: $(page_text "${fixed_ids[$i]}")"
    page_text_is "${found_ids[$i]}" "${counts[$i]}" || fail "found label of category $i"
  done
  text_is 1271 "Errors found: $total" || fail "found total: $(ctl_text 1271)"
  text_is 1272 "Errors Cleaned: $(setting FixedTotals)" || fail "cleaned total: $(ctl_text 1272)"

  # The Backups page lists the fix's backup; Restore brings the registry and
  # the moved shortcut back.
  backups=("$prog"/Backup/*.reg)
  [ ${#backups[@]} == 1 ] && [ -s "${backups[0]}" ] || fail "not one backup file: ${backups[*]}"
  click_ctl 1020
  wait_until 30 "backups page" page_shows 1019
  wait_until 30 "one backup row" rows_are 1
  screenshot road-5-backups
  click_row 0
  wait_until 30 "ticked backup row" row_checked 0
  click_ctl 1019
  answer_box
  [ "$box_text" == "Successfully restored" ] || fail "restore said: $box_text"
  wait_until 30 "empty backup list" rows_are 0
  snapshot restored
  expect_changes before restored none || fail "the restore is not exact"
  [ -f "$tree/Menu/${token}_bad.lnk" ] || fail "the shortcut is not back"

  # The after-fix log: zipped, unpacks, well-formed, every planted fault found.
  zips=("$prog"/Logs/Keldrix-*.zip)
  [ ${#zips[@]} == 1 ] && [ -f "${zips[0]}" ] || fail "not one log archive: ${zips[*]}"
  unzip -p "${zips[0]}" >"$work/log.xml" || fail "the log archive does not unpack"
  xmllint --noout "$work/log.xml" || fail "the log is not well-formed"
  logged=$(grep -c "<FoundItem .*$token" "$work/log.xml")
  [ "$logged" == "$ours" ] || fail "the log holds $logged found items of this test, not $ours"
  grep "<FoundItem .*$token" "$work/log.xml" | grep -E "${token}_ok|${token}ok|_ign|KeldrixWl_|_e\\\\full" \
    && fail "the log lists healthy, ignored or whitelisted entries as found"

  # Every other page of the window.
  visit_page 1099 road-6-scan
  visit_page 1001 road-7-startup
  visit_page 1002 road-8-options
  visit_page 1005 road-9-about

  tray_menu_exit
  wait_until 60 "end after Exit" ended "$pid"
  wait "$pid" || fail "the program ended with $?"
  wait_until 30 "no Keldrix process" no_keldrix_process
  plant_cleanup
  wine reg delete "$whitelisted" /f >/dev/null 2>&1
  ;;

*)
  fail "unknown check"
  ;;
esac
echo "PASS: $check"
