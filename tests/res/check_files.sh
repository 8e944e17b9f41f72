#!/usr/bin/env bash
# Checks the files shipped beside Keldrix.exe and the drawn art.
#   check_files.sh CHECK SOURCE_DIR BUILD_DIR
# CHECK: html_pages, help_file, contact_sheet or fresh_build.
set -euo pipefail
check=$1 src=$2 build=$3
bin=$build/bin
fail() { echo "FAIL: $*" >&2; exit 1; }

# The files every installation has beside the program.
companions() {
    printf '%s\n' settings.xml LogSettings.xml Animated-Bar.gif process-animation.gif ShowStats.htm email.htm help.chm
    for n in $(seq 1 15); do echo "Tip$n.html"; done
}

# has_ids FILE ID...: each id names exactly one element of the HTML page.
has_ids() {
    local file=$1 id n; shift
    for id in "$@"; do
        n=$(xmllint --html --xpath "count(//*[@id='$id'])" "$file" 2>/dev/null)
        [ "$n" = 1 ] || fail "$file: $n elements with id $id"
    done
}

# well_formed FILE: xmllint's HTML parser reads it without a word.
well_formed() {
    local messages
    messages=$(xmllint --html --noout "$1" 2>&1) || fail "$1: $messages"
    [ -z "$messages" ] || fail "$1: $messages"
}

case $check in
html_pages)
    for page in "$bin"/*.htm "$bin"/*.html; do well_formed "$page"; done
    has_ids "$bin/ShowStats.htm" idErrors idLastScan btnSubmit
    for n in $(seq 1 15); do
        has_ids "$bin/Tip$n.html" checkbox ButtonOK ButtonCancel ButtonNext ButtonBack
    done
    [ ! -e "$bin/Tip16.html" ] || fail "a sixteenth tip"
    has_ids "$bin/email.htm" txt_firstname txt_lastname txt_emailaddress txt_confirmemail \
        chk_keepupdated chk_noshow btn_submit lnk_privacy
    [ "$(xmllint --html --xpath "string(//*[@id='chk_keepupdated']/@type)" "$bin/email.htm")" = checkbox ] ||
        fail "chk_keepupdated is no check box"
    # The dialog marks the fields with the classes valid and invalid: the page styles both.
    grep -q 'input\.valid *{' "$bin/email.htm" || fail "email.htm does not style .valid"
    grep -q 'input\.invalid *{' "$bin/email.htm" || fail "email.htm does not style .invalid"
    echo "html pages: $(ls "$bin"/*.htm "$bin"/*.html | wc -l) pages well formed with their ids"
    ;;
help_file)
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
    extract_chmLib "$bin/help.chm" "$out" >/dev/null || fail "extract_chmLib cannot read help.chm"
    # Every topic of the project, the contents and the index are in the file.
    topics=$(sed -n '/^\[FILES\]/,$p' "$src/res/help/Keldrix.hhp" | grep -E '\.htm$')
    [ "$(echo "$topics" | wc -l)" -ge 11 ] || fail "fewer than eleven topics"
    for topic in $topics toc.hhc index.hhk; do
        [ -s "$out/$topic" ] || fail "help.chm lacks $topic"
        cmp -s "$out/$topic" "$src/res/help/$topic" || fail "help.chm holds another $topic"
    done
    for topic in $topics; do well_formed "$out/$topic"; done
    # The contents link every topic.
    for topic in $topics; do grep -q "value=\"$topic\"" "$out/toc.hhc" || fail "contents lack $topic"; done
    echo "help.chm: $(echo "$topics" | wc -l) topics"
    ;;
contact_sheet)
    sheet=$build/res/art/contact-sheet.png
    [ -s "$sheet" ] || fail "no contact sheet"
    size=$(identify -format '%w %h' "$sheet")
    [ "${size% *}" -ge 800 ] && [ "${size#* }" -ge 620 ] || fail "contact sheet of $size"
    echo "contact sheet $size"
    ;;
fresh_build)
    # A build folder of its own, with only the resources: every companion
    # file lands beside the program, and the resource object compiles.
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir "$tmp/project"
    cat > "$tmp/project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(KeldrixResources LANGUAGES C CXX RC)
add_subdirectory("$src/res" res)
EOF
    cmake -S "$tmp/project" -B "$tmp/build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" >/dev/null ||
        fail "configure"
    cmake --build "$tmp/build" --target keldrix_companions keldrix_resources >"$tmp/build.log" 2>&1 ||
        { cat "$tmp/build.log" >&2; fail "build"; }
    for f in $(companions); do
        [ -s "$tmp/build/bin/$f" ] || fail "$f not beside the program"
    done
    for f in $(companions); do
        [ ! -e "$src/res/$f" ] || cmp -s "$tmp/build/bin/$f" "$src/res/$f" || fail "$f differs from res/$f"
    done
    extra=$(ls "$tmp/build/bin" | grep -vxF -f <(companions) || true)
    [ -z "$extra" ] || fail "unexpected files beside the program: $extra"
    ls "$tmp/build/res/CMakeFiles/keldrix_resources.dir/"*.res >/dev/null || fail "no resource object"
    echo "fresh build: $(companions | wc -l) companion files beside the program"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
