# The results list in the gallery's list window (sourced by gallery-test.sh
# for the check html_list): groups open and close by their glyphs, check
# boxes of rows and headers keep the counts in step and report code 1,
# "Ignore" reports code 5 then removes the row (and an emptied group's
# header), and the arrow keys pass over the rows of a closed group.
# The window's log names the groups A, B, C and their rows A1, A2, B1...;
# see CLoggedHtmlList.h and CHtmlListGallery.h for its lines.
wait_for_log "^html ready$"
TICK="#21A121"      # the checked box's tick, through the image's middle
PART="#7FBF7F"      # the partly checked box's square
BORDER="#1C5180"    # every check box's frame
BLACK="#000000"     # the glyphs' bars
SELECTED="#7FCAFE"
LINK="#0000FF"

view() { grep -E '^html view' "$log" | tail -1 | sed 's/^html view *//'; }
notices() { grep -E '^html notify ' "$log" | awk '{print $3}' | xargs; }

# expect_view "ITEM ...": waits until the list shows exactly these items.
expect_view() { wait_equal "$1" view; }

# Where an item was last shown: sets L T R B and Y, the top of its images.
at() {
    read -r L T R B <<<"$(log_rect "html at $1")"
    [ -n "$L" ] || fail "$1 was never shown"
    Y=$((T + (B - T) / 2 - 8))
}

# Pixels of an item (after at): its check box's middle and frame, its
# glyph's upright bar (black only while the group is closed), and a spot
# clear of images and text that has the item's background.
box() { at "$1"; echo "$((L + 30)) $((Y + 8)) $2"; }
frame() { at "$1"; echo "$((L + 23)) $((Y + 8)) $BORDER"; }
glyph() { at "$1"; echo "$((L + 10)) $((Y + 5)) $2"; }
ground() { at "$1"; echo "$((L + 45)) $((T + 2)) $2"; }

# Presses inside an item's glyph, check box or "Ignore" link. Presses one
# after another are far apart, so that none makes a double click.
press() {
    at "$1"
    case $2 in
    glyph) xdotool mousemove $((L + 10)) $((Y + 7)) click 1 ;;
    box) xdotool mousemove $((L + 25)) $((Y + 7)) click 1 ;;
    link) xdotool mousemove $((R - 20)) $((B - 7)) click 1 ;;
    esac
}

# The link area of a row (after at).
link_area() { at "$1"; echo "$((R - 40)) $((B - 15)) 40 15"; }

read -r ll lt lr lb <<<"$(log_rect "html list")"
[ -n "$ll" ] || fail "no list"
WHITE="#FFFFFF"

# Every group starts closed: three headers, the rest of the list empty.
expect_view "A/1/shut B/2/shut C/0/shut"
expect_pixels 30 "$(box A "$TICK")" "$(box B "$PART")" "$(box C "$WHITE")" "$(frame C)" \
    "$(glyph A "$BLACK")" "$(glyph C "$BLACK")"
at C
expect_region $((ll + 2)) $((B + 1)) $((lr - ll - 4)) $((lb - B - 3)) only "$WHITE"

# Open A: its rows appear between A and B, each with its link.
press A glyph
expect_view "A/1/open/sel A1/1 A2/1 B/2/shut C/0/shut"
expect_pixels 30 "$(glyph A "$WHITE")" "$(box A1 "$TICK")" "$(box A2 "$TICK")" "$(glyph B "$BLACK")" \
    "$(ground A "$SELECTED")" "$(ground A1 "$WHITE")"
expect_region $(link_area A1) has "$LINK"
expect_region $(link_area A2) has "$LINK"

# A row's box: the row clears, the header goes partly checked.
press A1 box
expect_notices "1"
wait_for_log "^html counts A 1/2 B 1/2 C 0/1 problems 5$" 30
expect_view "A/2/open A1/0/sel A2/1 B/2/shut C/0/shut"
expect_pixels 30 "$(box A1 "$WHITE")" "$(frame A1)" "$(box A "$PART")" "$(ground A1 "$SELECTED")" \
    "$(ground A "$WHITE")"

# A partly checked header's box checks the whole group, shown or not.
press A box
expect_notices "1 1"
wait_for_log "^html counts A 2/2 B 1/2 C 0/1 problems 5$" 30
expect_view "A/1/open/sel A1/1 A2/1 B/2/shut C/0/shut"
expect_pixels 30 "$(box A "$TICK")" "$(box A1 "$TICK")" "$(box A2 "$TICK")"
press B box
expect_notices "1 1 1"
wait_for_log "^html counts A 2/2 B 2/2 C 0/1 problems 5$" 30
expect_view "A/1/open A1/1 A2/1 B/1/shut/sel C/0/shut"
expect_pixels 30 "$(box B "$TICK")" "$(ground B "$SELECTED")"

# The arrows walk the shown items: from B down to C past B's closed rows.
xdotool key Up
expect_view "A/1/open A1/1 A2/1/sel B/1/shut C/0/shut"
expect_pixels 30 "$(ground A2 "$SELECTED")" "$(ground B "$WHITE")"
xdotool key Down
expect_view "A/1/open A1/1 A2/1 B/1/shut/sel C/0/shut"
xdotool key Down
expect_view "A/1/open A1/1 A2/1 B/1/shut C/0/shut/sel"
expect_pixels 30 "$(ground C "$SELECTED")" "$(ground B "$WHITE")"
xdotool key Up
expect_view "A/1/open A1/1 A2/1 B/1/shut/sel C/0/shut"
expect_pixels 30 "$(ground B "$SELECTED")" "$(ground C "$WHITE")"

# "Ignore": code 5, then the row is gone and B moves up into its place.
read -r a2l a2t a2w a2h <<<"$(link_area A2)"
press A2 link
expect_notices "1 1 1 5 1"
wait_for_log "^html ignore A2$" 30
wait_for_log "^html counts A 1/1 B 2/2 C 0/1 problems 4$" 30
expect_view "A/1/open A1/1 B/1/shut/sel C/0/shut"
expect_region "$a2l" "$a2t" "$a2w" "$a2h" lacks "$LINK"
expect_region $(link_area A1) has "$LINK"

# The last row of a group takes its header with it.
press C glyph
expect_view "A/1/open A1/1 B/1/shut C/0/open/sel C1/0"
expect_pixels 30 "$(box C1 "$WHITE")" "$(frame C1)"
at C
c_top=$T
press C1 link
expect_notices "1 1 1 5 1 5 1"
wait_for_log "^html ignore C1$" 30
wait_for_log "^html counts A 1/1 B 2/2 C 0/0 problems 3$" 30
expect_view "A/1/open A1/1 B/1/shut"
expect_region $((ll + 2)) "$c_top" $((lr - ll - 4)) $((lb - c_top - 2)) only "$WHITE"

# Close A: its row goes; open B: its rows were checked while closed.
read -r a1l a1t a1w a1h <<<"$(link_area A1)"
press A glyph
expect_view "A/1/shut/sel B/1/shut"
expect_pixels 30 "$(glyph A "$BLACK")"
expect_region "$a1l" "$a1t" "$a1w" "$a1h" lacks "$LINK"
at B
expect_region $((ll + 2)) $((B + 1)) $((lr - ll - 4)) $((lb - B - 3)) only "$WHITE"
press B glyph
expect_view "A/1/shut B/1/open/sel B1/1 B2/1"
expect_pixels 30 "$(box B1 "$TICK")" "$(box B2 "$TICK")" "$(glyph B "$WHITE")"
expect_region $(link_area B2) has "$LINK"

# Nothing else was reported: no double clicks, no right clicks.
[ "$(notices)" == "1 1 1 5 1 5 1" ] || fail "extra notices: $(notices)"
