#!/usr/bin/env bash
# Drives the controls gallery with real input (xdotool) and judges it by its
# own log and by screenshots of the (white) root window.
#   gallery-test.sh CHECK GALLERY_EXE
# CHECK is shaped_window, status_icons, or the name of a CHECK.sh beside this
# script, which is sourced with the gallery running and these helpers defined.
# Runs under the test display with the build's Wine prefix (see ctest-in-wine.sh).
set -uo pipefail
check=$1
exe=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d)
log="$work/gallery.log"
shot="$work/shot.png"
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- gallery log ---" >&2
    cat "$log" >&2 2>/dev/null
    exit 1
}

# wait_for_log PATTERN [SECONDS]: waits until a log line matches.
wait_for_log() {
    local pattern=$1 limit=${2:-60} start=$SECONDS
    until grep -qE "$pattern" "$log" 2>/dev/null; do
        ((SECONDS - start < limit)) || fail "no log line matching '$pattern' within ${limit}s"
        # The line may have come just before the program ended: look once more.
        if ! kill -0 "$pid" 2>/dev/null; then
            grep -qE "$pattern" "$log" 2>/dev/null && return 0
            fail "the gallery ended before '$pattern'"
        fi
        sleep 0.1
    done
}

# wait_equal EXPECTED COMMAND...: waits until the command prints EXPECTED.
wait_equal() {
    local want=$1 start=$SECONDS got
    shift
    until got=$("$@"); [ "$got" == "$want" ]; do
        ((SECONDS - start < 30)) || fail "$1 gives '$got', expected '$want'"
        sleep 0.1
    done
}

# expect_notices "CODE ...": waits until the notices so far (the check's own
# notices function lists them) are exactly these.
expect_notices() { wait_equal "$1" notices; }

# The four numbers of the last log line starting with NAME.
log_rect() {
    grep -E "^$1 -?[0-9]+ -?[0-9]+ -?[0-9]+ -?[0-9]+$" "$log" | tail -1 | awk '{print $(NF-3), $(NF-2), $(NF-1), $NF}'
}

pixel() {
    convert "$shot" -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -oE '#[0-9A-F]{6}'
}

# expect_pixels SECONDS "X Y COLOR" ...: screenshots until every pixel has its
# colour (COLOR may be !#RRGGBB for "anything but"), or fails after SECONDS.
expect_pixels() {
    local limit=$1 start=$SECONDS item x y want got bad
    shift
    while :; do
        import -window root "$shot" 2>/dev/null || fail "no screenshot"
        bad=""
        for item in "$@"; do
            read -r x y want <<<"$item"
            got=$(pixel "$x" "$y")
            if [[ $want == !* ]]; then
                [ "$got" != "${want#!}" ] || bad+=" ($x,$y)=$got"
            else
                [ "$got" == "$want" ] || bad+=" ($x,$y)=$got want $want"
            fi
        done
        [ -z "$bad" ] && return 0
        ((SECONDS - start < limit)) || fail "pixels differ:$bad"
        sleep 0.2
    done
}

# region_colours X Y W H: the distinct colours of that part of a new screenshot.
region_colours() {
    import -window root "$shot" 2>/dev/null || fail "no screenshot"
    convert "$shot" -crop "$3x$4+$1+$2" +repage -depth 8 -unique-colors txt:- | grep -oE '#[0-9A-F]{6}' | sort -u | xargs
}

# expect_region X Y W H TEST COLOUR: waits until TEST COLOUR COLOURS holds for
# the region's colours; the tests are has, lacks and only (nothing else).
expect_region() {
    local x=$1 y=$2 w=$3 h=$4 start=$SECONDS colours
    shift 4
    while :; do
        colours=$(region_colours "$x" "$y" "$w" "$h")
        "$@" "$colours" && return 0
        ((SECONDS - start < 30)) || fail "region $x,$y ${w}x$h has '$colours', expected $*"
        sleep 0.2
    done
}
has() { [[ " $2 " == *" $1 "* ]]; }
lacks() { [[ " $2 " != *" $1 "* ]]; }
only() { [ "$2" == "$1" ]; }

click_center() {
    local l t r b
    read -r l t r b <<<"$(log_rect "$1")"
    [ -n "$l" ] || fail "no rectangle for $1"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

close_gallery() {
    click_center "button close"
    wait_for_log "^gallery closed 2$" 60
    local start=$SECONDS
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS - start < 60)) || fail "the gallery did not end"
        sleep 0.1
    done
    wait "$pid" 2>/dev/null
    pid=""
}

cd "$work"
wine "$exe" -log gallery.log &
pid=$!
wait_for_log "^gallery shown$"
wait_for_log "^shaped ready "

WHITE="#FFFFFF"
case $check in
shaped_window)
    read -r l t r b <<<"$(log_rect "shaped ready")"
    [ $((r - l)) -eq 200 ] && [ $((b - t)) -eq 150 ] || fail "the shaped window is not 200 x 150: $l $t $r $b"
    BODY="#1E90FF"
    BAND="#FF8C00"
    # The black corners and the hole are cut out: the white root shows there.
    expect_pixels 30 "$((l + 2)) $((t + 2)) $WHITE" "$((r - 3)) $((t + 2)) $WHITE" \
        "$((l + 2)) $((b - 3)) $WHITE" "$((r - 3)) $((b - 3)) $WHITE" \
        "$((l + 100)) $((t + 75)) $WHITE" \
        "$((l + 35)) $((t + 35)) $BODY" "$((l + 60)) $((t + 50)) $BODY" "$((l + 60)) $((t + 25)) $BAND" \
        "$((r - 30)) $((b - 20)) $BODY"

    # A drag with the mouse moves the window by the mouse delta. Each step waits
    # until the move loop has taken it, so the button is let go inside the loop.
    x=$((l + 60)); y=$((t + 50))
    xdotool mousemove "$x" "$y" mousedown 1
    wait_for_log "^shaped move start$" 30
    for step in 1 2 3 4; do
        xdotool mousemove $((x + 15 * step)) $((y + 10 * step))
        wait_for_log "^shaped moving $((l + 15 * step)) $((t + 10 * step)) " 30
    done
    xdotool mouseup 1
    wait_for_log "^shaped moved " 30
    read -r nl nt nr nb <<<"$(log_rect "shaped moved")"
    [ "$nl" -eq $((l + 60)) ] && [ "$nt" -eq $((t + 40)) ] ||
        fail "moved to $nl,$nt; expected $((l + 60)),$((t + 40))"
    expect_pixels 30 "$((nl + 60)) $((nt + 50)) $BODY" "$((nl + 2)) $((nt + 2)) $WHITE" \
        "$((nr - 3)) $((nb - 3)) $WHITE" "$((nl + 100)) $((nt + 75)) $WHITE" "$((l + 30)) $((t + 30)) $WHITE"
    ;;
status_icons)
    grep -q "^missing icon loaded 0$" "$log" || fail "a missing bitmap was reported as loaded"
    grep -q "^page child 1 caption 0 parent 1$" "$log" || fail "the page is not a child dialog"
    read -r bl bt br bb <<<"$(log_rect "icon big")"
    read -r sl st sr sb <<<"$(log_rect "icon small")"
    read -r ml mt mr mb <<<"$(log_rect "icon missing")"
    RED="#C80000"
    BLUE="#0000C8"
    GREEN="#00A000"
    # The 64-pixel bitmap fills the 40-pixel label and stops at its edges; the
    # 16-pixel one leaves the white background around it; no bitmap: background only.
    expect_pixels 30 "$((bl + 1)) $((bt + 1)) $RED" "$((br - 1)) $((bb - 1)) $RED" \
        "$((br + 2)) $((bt + 10)) !$RED" "$((bl + 10)) $((bb + 2)) !$RED" \
        "$sl $st $BLUE" "$((sl + 15)) $((st + 15)) $BLUE" "$((sl + 16)) $((st + 16)) $WHITE" \
        "$((sr - 1)) $((sb - 1)) $WHITE" "$((sl + 30)) $((st + 5)) $WHITE" \
        "$((ml + 20)) $((mt + 20)) $WHITE"

    # Swap: the old bitmap goes, the new one shows at once.
    click_center "button swap"
    wait_for_log "^swapped$" 30
    expect_pixels 30 "$((bl + 1)) $((bt + 1)) $GREEN" "$((br - 1)) $((bb - 1)) $GREEN" \
        "$((br + 2)) $((bt + 10)) !$GREEN"
    ;;
*)
    # Checks of further controls live beside this script as CHECK.sh.
    [ -f "$here/$check.sh" ] || fail "unknown check $check"
    source "$here/$check.sh"
    ;;
esac

close_gallery
echo "PASS: $check"
