# Sourced by the end-to-end scripts: one broken entry of every category beside
# healthy ones, all named with one unique token, and the tools to judge them.
# The caller sets token, guid, gone (a missing folder), d (a folder or drive
# under which Apps\ holds the healthy targets and Menu\ the shortcuts), tree
# (d's path on the host) and work (a scratch folder), then calls plant_all;
# plant_cleanup removes every planted registry entry.
cv='Software\Microsoft\Windows\CurrentVersion'
fonts='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts'
shared="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"
help='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\HELP'
uninstall="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
apppaths="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"
userrun="HKEY_CURRENT_USER\\$cv\\Run"
machinerun="HKEY_LOCAL_MACHINE\\$cv\\Run"

# Shared keys a fresh prefix may lack: removed at the end when the test made them and they are empty again.
made_keys=()
for key in "$shared" "$help"; do
  wine reg query "$key" >/dev/null 2>&1 || made_keys+=("$key")
done

plant_cleanup() {
  local key entry
  for key in "HKEY_CLASSES_ROOT\\CLSID\\$guid" "HKEY_CLASSES_ROOT\\.$token" "HKEY_CLASSES_ROOT\\${token}file" \
    "HKEY_CLASSES_ROOT\\.${token}ok" "HKEY_CLASSES_ROOT\\${token}okfile" "$uninstall\\${token}_bad" \
    "$uninstall\\${token}_ok" "$apppaths\\${token}_bad.exe" "$apppaths\\${token}_ok.exe" \
    "HKEY_LOCAL_MACHINE\\Software\\${token}_fp" "HKEY_CURRENT_USER\\Software\\${token}_fp" \
    "HKEY_CURRENT_USER\\Software\\${token}_e"; do
    wine reg delete "$key" /f >/dev/null 2>&1
  done
  for entry in "$fonts|${token}_bad (TrueType)" "$fonts|${token}_ok (TrueType)" "$fonts|${token}_ign (TrueType)" \
    "$shared|$gone\\shared.dll" "$shared|$d\\Apps\\${token}_ok.dll" "$help|${token}_bad.hlp" \
    "$help|${token}_ok.hlp" "$userrun|${token}_bad" "$userrun|${token}_ok" "$machinerun|${token}_bad"; do
    wine reg delete "${entry%%|*}" /v "${entry#*|}" /f >/dev/null 2>&1
  done
  for key in "${made_keys[@]}"; do
    [ "$(wine reg query "$key" /s 2>/dev/null | tr -d '\r' | grep -c .)" -le 1 ] && wine reg delete "$key" /f >/dev/null 2>&1
  done
}

# .reg strings escape backslashes and quotes.
esc() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }

# The registry entries (through regedit), the healthy targets and the two shortcuts.
plant_all() {
  mkdir -p "$tree/Apps" "$tree/Menu"
  echo app >"$tree/Apps/app.exe"
  echo dll >"$tree/Apps/${token}_ok.dll"
  echo hlp >"$tree/Apps/${token}_ok.hlp"
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CLASSES_ROOT\\CLSID\\%s]\r\n@="Keldrix test class %s"\r\n\r\n' "$guid" "$token"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\r\n@="%s"\r\n"ThreadingModel"="Both"\r\n\r\n' "$guid" \
      "$(esc "\"$gone\\x.dll\"")"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\DefaultIcon]\r\n@="C:\\\\windows\\\\system32\\\\shell32.dll,3"\r\n\r\n' "$guid"
    printf '[HKEY_CLASSES_ROOT\\.%s]\r\n@="%sfile"\r\n"Content Type"="text/x-keldrix"\r\n\r\n' "$token" "$token"
    printf '[HKEY_CLASSES_ROOT\\%sfile\\shell\\open\\command]\r\n@="%s"\r\n\r\n' "$token" \
      "$(esc "\"$gone\\assoc.exe\" \"%1\"")"
    printf '[HKEY_CLASSES_ROOT\\.%sok]\r\n@="%sokfile"\r\n\r\n' "$token" "$token"
    printf '[HKEY_CLASSES_ROOT\\%sokfile\\shell\\open\\command]\r\n@="%s"\r\n\r\n' "$token" \
      "$(esc "\"$d\\Apps\\app.exe\" \"%1\"")"
    printf '[%s\\%s_bad]\r\n"DisplayName"="Keldrix test %s"\r\n"UninstallString"="%s"\r\n' "$uninstall" "$token" \
      "$token" "$(esc "\"$gone\\uninst.exe\" /x")"
    printf '"EstimatedSize"=dword:00000010\r\n"Blob"=hex:01,02,ff\r\n"Expand"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,00\r\n\r\n'
    printf '[%s\\%s_bad\\Sub]\r\n"v"="1"\r\n\r\n' "$uninstall" "$token"
    printf '[%s\\%s_ok]\r\n"UninstallString"="%s"\r\n\r\n' "$uninstall" "$token" "$(esc "\"$d\\Apps\\app.exe\" /x")"
    printf '[%s]\r\n"%s_bad (TrueType)"="%s_bad.ttf"\r\n"%s_ok (TrueType)"="%s"\r\n"%s_ign (TrueType)"="%s_ign.ttf"\r\n\r\n' \
      "$fonts" "$token" "$token" "$token" "$(esc "$d\\Apps\\app.exe")" "$token" "$token"
    printf '[%s]\r\n"%s"=dword:00000001\r\n"%s"=dword:00000002\r\n\r\n' "$shared" "$(esc "$gone\\shared.dll")" \
      "$(esc "$d\\Apps\\${token}_ok.dll")"
    printf '[%s\\%s_bad.exe]\r\n@="%s"\r\n"Path"="%s"\r\n\r\n' "$apppaths" "$token" "$(esc "$gone\\app.exe")" "$(esc "$gone")"
    printf '[%s\\%s_ok.exe]\r\n@="%s"\r\n\r\n' "$apppaths" "$token" "$(esc "$d\\Apps\\app.exe")"
    printf '[%s]\r\n"%s_bad.hlp"="%s"\r\n"%s_ok.hlp"="%s"\r\n\r\n' "$help" "$token" "$(esc "$gone")" "$token" \
      "$(esc "$d\\Apps")"
    printf '[%s]\r\n"%s_bad"="%s"\r\n"%s_ok"="%s"\r\n\r\n' "$userrun" "$token" "$(esc "\"$gone\\run.exe\" /min")" \
      "$token" "$(esc "\"$d\\Apps\\app.exe\" /min")"
    printf '[%s]\r\n"%s_bad"="%s"\r\n\r\n' "$machinerun" "$token" "$(esc "\"$gone\\machine.exe\"")"
    for root in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
      printf '[%s\\Software\\%s_fp]\r\n"bad"="%s"\r\n"ok"="%s"\r\n"num"=dword:00000005\r\n\r\n' "$root" "$token" \
        "$(esc "$gone\\file.txt")" "$(esc "$d\\Apps\\app.exe")"
    done
    printf '[HKEY_CURRENT_USER\\Software\\%s_e]\r\n"keep"="1"\r\n\r\n' "$token"
    printf '[HKEY_CURRENT_USER\\Software\\%s_e\\empty]\r\n\r\n' "$token"
    printf '[HKEY_CURRENT_USER\\Software\\%s_e\\full]\r\n"v"="1"\r\n\r\n' "$token"
  } >"$work/plant.reg"
  wine regedit /S "Z:${work//\//\\}\\plant.reg"
  wine reg query "HKEY_CURRENT_USER\\Software\\${token}_e\\empty" >/dev/null 2>&1 || { echo "the registry plants are missing" >&2; return 1; }

  # Shortcuts, made by the script host's shell object.
  {
    printf 'Set shell = CreateObject("WScript.Shell")\r\n'
    printf 'Set link = shell.CreateShortcut("%s")\r\nlink.TargetPath = "%s"\r\nlink.Save\r\n' \
      "$d\\Menu\\${token}_bad.lnk" "$d\\Gone\\x.exe" "$d\\Menu\\${token}_ok.lnk" "$d\\Apps\\app.exe"
  } >"$work/links.vbs"
  wine cscript //nologo "Z:${work//\//\\}\\links.vbs" >"$work/links.txt" 2>&1 || { cat "$work/links.txt" >&2; return 1; }
  [ -s "$tree/Menu/${token}_bad.lnk" ] && [ -s "$tree/Menu/${token}_ok.lnk" ] \
    || { cat "$work/links.txt" >&2; echo "the shortcuts were not made" >&2; return 1; }
}

# Snapshots: name|key|filter. Shared keys are cut to the lines of this test.
snapshots=(
  "clsid|HKEY_CLASSES_ROOT\\CLSID\\$guid|" "ext|HKEY_CLASSES_ROOT\\.$token|" "extclass|HKEY_CLASSES_ROOT\\${token}file|"
  "extok|HKEY_CLASSES_ROOT\\.${token}ok|" "extokclass|HKEY_CLASSES_ROOT\\${token}okfile|"
  "uninstbad|$uninstall\\${token}_bad|" "uninstok|$uninstall\\${token}_ok|" "fonts|$fonts|$token"
  "shared|$shared|$token" "appbad|$apppaths\\${token}_bad.exe|" "appok|$apppaths\\${token}_ok.exe|"
  "help|$help|$token" "userrun|$userrun|$token" "machinerun|$machinerun|$token"
  "fpmachine|HKEY_LOCAL_MACHINE\\Software\\${token}_fp|" "fpuser|HKEY_CURRENT_USER\\Software\\${token}_fp|"
  "empty|HKEY_CURRENT_USER\\Software\\${token}_e|"
)
# What the fix must take away from each snapshot (a fixed string of the lines; "" for all).
declare -A faults=(
  [clsid]='\InprocServer32]' [ext]='' [uninstbad]='' [fonts]="\"${token}_bad (TrueType)\"=" [shared]='KdxGone_'
  [appbad]='' [help]="\"${token}_bad.hlp\"=" [userrun]="\"${token}_bad\"=" [machinerun]="\"${token}_bad\"="
  [fpmachine]='|"bad"=' [fpuser]='|"bad"=' [empty]='\empty]'
)
# A reg export as sorted lines "[key]|value line", continuation lines joined.
snapshot() {
  local dir="$work/$1" entry name key filter
  mkdir -p "$dir"
  for entry in "${snapshots[@]}"; do
    IFS='|' read -r name key filter <<<"$entry"
    rm -f "$dir/$name.reg"
    wine reg export "$key" "Z:${dir//\//\\}\\$name.reg" /y >/dev/null 2>&1 || true
    if [ -f "$dir/$name.reg" ]; then
      iconv -f UTF-16 -t UTF-8 "$dir/$name.reg" | tr -d '\r' | awk '
        /^Windows Registry Editor/ || /^$/ { next }
        /^\[/ { key = $0; print key "|"; next }
        { line = $0
          while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
          print key "|" line }' | { if [ -n "$filter" ]; then grep -F "$filter" || true; else cat; fi; } | LC_ALL=C sort
    fi >"$dir/$name.txt"
  done
}
# expect_changes BEFORE AFTER [NAME...]: every snapshot of AFTER equals BEFORE
# less its faults for the named snapshots (all with faults when none is named)
# and equals BEFORE for the others. Prints the differences.
expect_changes() {
  local before=$1 after=$2 entry name
  shift 2
  for entry in "${snapshots[@]}"; do
    name=${entry%%|*}
    local fixed=0
    if [ -n "${faults[$name]+set}" ]; then
      if [ $# -eq 0 ] || [[ " $* " == *" $name "* ]]; then fixed=1; fi
    fi
    if ((fixed)); then
      grep -v -F -e "${faults[$name]}" "$work/$before/$name.txt" >"$work/$before/$name.expected" || true
      cmp -s "$work/$before/$name.expected" "$work/$before/$name.txt" && { echo "the snapshot $name holds no planted fault" >&2; return 1; }
    else
      cp "$work/$before/$name.txt" "$work/$before/$name.expected"
    fi
    diff -u "$work/$before/$name.expected" "$work/$after/$name.txt" >&2 || { echo "$name changed otherwise than by its fault" >&2; return 1; }
  done
}
