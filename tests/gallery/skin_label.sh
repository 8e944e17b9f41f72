# The styled label in the gallery's skin window (sourced by gallery-test.sh
# for the check skin_label): one 0x8201 on entering and one 0x8202 on
# leaving, with a click (0x8200) between or not; the label is unlit after
# leaving; a transparent label given a shorter text shows the window's
# background where the old letters were.
wait_for_log "^skin ready$"
BACKGROUND="#FFF0C8"
LIT="#DC0000"

notices() { grep -E '^skin notify ' "$log" | awk '{print $3}' | xargs; }

# Anything but the background alone.
more_than() { [ "$2" != "$1" ] && [ -n "$2" ]; }

read -r hl ht hr hb <<<"$(log_rect "skin label hover")"
[ -n "$hl" ] || fail "no hover label"
outside_x=$((hl + 300)); outside_y=$((hb + 12))

# First pass: in, some moves, a click, more moves, out.
xdotool mousemove "$outside_x" "$outside_y"
xdotool mousemove $((hl + 10)) $((ht + 12))
expect_notices "0x8201"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) has "$LIT"
for x in 40 80 120; do xdotool mousemove $((hl + x)) $((ht + 10)); done
xdotool click 1
expect_notices "0x8201 0x8200"
for x in 150 100 50; do xdotool mousemove $((hl + x)) $((ht + 14)); done
xdotool mousemove "$outside_x" "$outside_y"
expect_notices "0x8201 0x8200 0x8202"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) lacks "$LIT"

# Second pass without a click.
xdotool mousemove $((hl + 30)) $((ht + 12))
expect_notices "0x8201 0x8200 0x8202 0x8201"
xdotool mousemove "$outside_x" "$outside_y"
expect_notices "0x8201 0x8200 0x8202 0x8201 0x8202"
expect_region "$hl" "$ht" $((hr - hl)) $((hb - ht)) lacks "$LIT"

# The transparent label: long text, then a short one.
read -r wl wt wr wb <<<"$(log_rect "skin label wide")"
[ -n "$wl" ] || fail "no wide label"
expect_region $((wl + 60)) "$wt" $((wr - wl - 60)) $((wb - wt)) more_than "$BACKGROUND"
click_center "skin button shorten"
wait_for_log "^skin shortened$" 30
expect_region $((wl + 60)) "$wt" $((wr - wl - 60)) $((wb - wt)) only "$BACKGROUND"
expect_region "$wl" "$wt" 40 $((wb - wt)) more_than "$BACKGROUND"

# Nothing more was reported meanwhile.
[ "$(notices)" == "0x8201 0x8200 0x8202 0x8201 0x8202" ] || fail "extra notices: $(notices)"
