# The three-state bitmap button in the gallery's skin window (sourced by
# gallery-test.sh for the check skin_button): the normal, hot and pressed
# faces on screen, and a sticky button that stays pressed until code lets go.
wait_for_log "^skin ready$"
NORMAL="#0000C8"
HOT="#00A000"
PRESSED="#C80000"

read -r fl ft fr fb <<<"$(log_rect "skin button faces")"
read -r hl ht hr hb <<<"$(log_rect "skin button hold")"
[ -n "$fl" ] && [ -n "$hl" ] || fail "no buttons"
# Two corners of a button, clear of its caption.
corners() { echo "$(($1 + 2)) $(($2 + 1)) $3"; echo "$(($4 - 3)) $(($5 - 2)) $3"; }
expect_face() {
    local a b
    { read -r a; read -r b; } <<<"$(corners "$@")"
    expect_pixels 30 "$a" "$b"
}

xdotool mousemove $((fr + 20)) $((fb + 30))
expect_face "$fl" "$ft" "$NORMAL" "$fr" "$fb"
xdotool mousemove $((fl + 30)) $((ft + 8))
expect_face "$fl" "$ft" "$HOT" "$fr" "$fb"
xdotool mousedown 1
expect_face "$fl" "$ft" "$PRESSED" "$fr" "$fb"
xdotool mouseup 1
wait_for_log "^skin faces clicked$" 30
expect_face "$fl" "$ft" "$HOT" "$fr" "$fb"

# Held: pressed whatever the mouse and the focus do, until released by code.
expect_face "$hl" "$ht" "$NORMAL" "$hr" "$hb"
click_center "skin button hold"
wait_for_log "^skin hold 1$" 30
expect_face "$hl" "$ht" "$PRESSED" "$hr" "$hb"
xdotool mousemove $((hr + 20)) $((hb + 30))
click_center "skin button shorten"
wait_for_log "^skin shortened$" 30
expect_face "$hl" "$ht" "$PRESSED" "$hr" "$hb"
click_center "skin button release"
wait_for_log "^skin hold 0$" 30
expect_face "$hl" "$ht" "$NORMAL" "$hr" "$hb"
