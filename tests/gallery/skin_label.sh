# The styled label in the gallery's skin window (sourced by gallery-test.sh
# for the check skin_label): one 0x8201 on entering and one 0x8202 on
# leaving, with a click (0x8200) between or not; the label is unlit after
# leaving; a transparent label given a shorter text shows the window's
# background where the old letters were.
wait_for_log "^skin ready$"
BACKGROUND="#FFF0C8"
LIT="#DC0000"

notices() { grep -E '^skin notify ' "$log" | awk '{print $3}' | xargs; }

# expect_notices "LIST": waits until the notices so far are exactly LIST.
expect_notices() { wait_equal "$1" notices; }

# region_colours X Y W H: the distinct colours of that part of a new screenshot.
region_colours() {
    import -window root "$shot" 2>/dev/null || fail "no screenshot"
    convert "$shot" -crop "$3x$4+$1+$2" +repage -depth 8 -unique-colors txt:- | grep -oE '#[0-9A-F]{6}' | sort -u | xargs
}

# expect_region X Y W H TEST: waits until the region's colours pass TEST
# (a command given the colour list).
expect_region() {
    local x=$1 y=$2 w=$3 h=$4 test=$5 start=$SECONDS colours
    while :; do
        colours=$(region_colours "$x" "$y" "$w" "$h")
        $test "$colours" && return 0
        ((SECONDS - start < 30)) || fail "region $x,$y ${w}x$h has '$colours' ($test)"
        sleep 0.2
    done
}
only_background() { [ "$1" == "$BACKGROUND" ]; }
more_than_background() { [ "$1" != "$BACKGROUND" ] && [ -n "$1" ]; }
lit() { [[ " $1 " == *" $LIT "* ]]; }
unlit() { [[ " $1 " != *" $LIT "* ]]; }

read -r hl ht hr hb <<<"$(log_rect "skin label hover")"
[ -n "$hl" ] || fail "no hover label"
outside_x=$((hl + 300)); outside_y=$((hb + 12))

# First pass: in, some moves, a click, more moves, out.
xdotool mousemove "$outside_x" "$outside_y"
xdotool mousemove $((hl + 10)) $((ht + 12))
expect_notices "0x8201"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) lit
for x in 40 80 120; do xdotool mousemove $((hl + x)) $((ht + 10)); done
xdotool click 1
expect_notices "0x8201 0x8200"
for x in 150 100 50; do xdotool mousemove $((hl + x)) $((ht + 14)); done
xdotool mousemove "$outside_x" "$outside_y"
expect_notices "0x8201 0x8200 0x8202"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) unlit

# Second pass without a click.
xdotool mousemove $((hl + 30)) $((ht + 12))
expect_notices "0x8201 0x8200 0x8202 0x8201"
xdotool mousemove "$outside_x" "$outside_y"
expect_notices "0x8201 0x8200 0x8202 0x8201 0x8202"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) unlit

# The transparent label: long text, then a short one.
read -r wl wt wr wb <<<"$(log_rect "skin label wide")"
[ -n "$wl" ] || fail "no wide label"
expect_region $((wl + 60)) "$wt" $((wr - wl - 60)) $((wb - wt)) more_than_background
click_center "skin button shorten"
wait_for_log "^skin shortened$" 30
expect_region $((wl + 60)) "$wt" $((wr - wl - 60)) $((wb - wt)) only_background
expect_region "$wl" "$wt" 40 $((wb - wt)) more_than_background

# Nothing more was reported meanwhile.
[ "$(notices)" == "0x8201 0x8200 0x8202 0x8201 0x8202" ] || fail "extra notices: $(notices)"
