#!/usr/bin/env bash
# Draws every bitmap and icon of Keldrix.exe with ImageMagick into the folder
# $1 (named by resource number: 179.bmp, 107.ico, ...), then a contact sheet
# of them all, contact-sheet.png.
#
# One flat look: a blue accent, a pale blue page colour, white cards, Liberation
# Sans. Sizes are the pixel sizes of the controls at 96 dpi: the dialog units
# of 8-point Tahoma are 1.5 pixels across and 1.625 down (base units 6 x 13,
# dialogs.rc gives the units), on Windows as in the test prefix.
set -euo pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fonts=/usr/share/fonts/truetype/liberation
REG=$fonts/LiberationSans-Regular.ttf
BOLD=$fonts/LiberationSans-Bold.ttf

ACCENT='#1E64A8'       # header bands, primary buttons
ACCENT_HOT='#2F7CC6'
ACCENT_DEEP='#174F86'  # navigation column
PAGE='#DFEEF8'         # page body, RGB(223, 238, 248): the pages' control colour
LINE='#B9D2E8'
INK='#1F2D3A'
SOFT='#D6E6F5'
MUTED='#7F9BB8'
GREY_FACE='#B9C4CF'
RED='#D9472B'
GREEN='#2E9E50'

# Pixels of dialog units, as the dialog font scaler lays them out.
ux() { echo $(((${1} * 6 * 2 + 4) / 8)); }   # (int)(u * 6 / 4 + 0.5)
uy() { echo $(((${1} * 13 * 2 + 8) / 16)); } # (int)(u * 13 / 8 + 0.5)

# save FILE ARGS...: runs convert with ARGS and writes a 24-bit BMP.
save() {
    local file=$1; shift
    convert "$@" -alpha off -type TrueColor "BMP3:$out/$file"
}

# ---------------------------------------------------------------------------
# Push buttons: face W H FILL BORDER TEXTCOLOUR LABEL SIZE OUTFILE
# A rounded face on the page colour with a centred bold label.
# ---------------------------------------------------------------------------
face() {
    local w=$1 h=$2 fill=$3 border=$4 ink=$5 label=$6 size=$7 file=$8 ground=${9:-$PAGE}
    local args=(-size "${w}x${h}" "xc:$ground"
        -fill "$fill" -stroke "$border" -strokewidth 1
        -draw "roundrectangle 1,1 $((w - 2)),$((h - 3)) 7,7"
        -stroke none -fill '#00000020' -draw "line 8,$((h - 2)) $((w - 9)),$((h - 2))")
    if [ -n "$label" ]; then
        args+=(-font "$BOLD" -pointsize "$size" -fill "$ink" -gravity center -annotate +0-1 "$label")
    fi
    save "$file" "${args[@]}"
}
primary()     { face "$1" "$2" "$ACCENT" "$ACCENT_DEEP" white "$3" "${5:-14}" "$4.bmp" "${6:-$PAGE}"; }
primary_hot() { face "$1" "$2" "$ACCENT_HOT" "$ACCENT" white "$3" "${5:-14}" "$4.bmp" "${6:-$PAGE}"; }
greyed()      { face "$1" "$2" "$GREY_FACE" '#A7B3BF' '#EEF2F5' "$3" "${5:-14}" "$4.bmp"; }
# Faces whose caption the program draws (red, 20-pixel Arial): light, no label.
caption_face()     { face "$1" "$2" white "$ACCENT" "$ACCENT" "" 14 "$3.bmp"; }
caption_face_hot() { face "$1" "$2" '#EAF4FC' "$ACCENT_HOT" "$ACCENT" "" 14 "$3.bmp"; }
caption_face_off() { face "$1" "$2" '#EEF1F4' '#B8C2CC' '#B8C2CC' "" 14 "$3.bmp"; }

# ---------------------------------------------------------------------------
# Settings tabs (105 x 24): inactive, hot, active (the page colour).
# ---------------------------------------------------------------------------
tab_png() { # FILL INK LABEL OUT.png
    convert -size 105x24 "xc:$PAGE" \
        -fill "$1" -stroke "$LINE" -draw "roundrectangle 1,1 103,33 7,7" \
        -stroke none -fill "$2" -font "$BOLD" -pointsize 13 -gravity center -annotate +0+1 "$3" "$4"
}
tab() { tab_png "$1" "$2" "$3" "$work/tab.png"; save "$4" "$work/tab.png"; }
tab_inactive() { tab '#C3DAEE' "$ACCENT_DEEP" "$1" "$2.bmp"; }
tab_hot()      { tab '#D2E5F5' "$ACCENT" "$1" "$2.bmp"; }
tab_active()   { tab "$PAGE" "$ACCENT" "$1" "$2.bmp"; }

# ---------------------------------------------------------------------------
# Navigation buttons of the main window (180 x 49: 120 x 30 units) on the
# navigation column.
# nav_icon NAME: the -draw primitives of a 24 x 24 glyph at (16, 14).
# ---------------------------------------------------------------------------
nav_icon() {
    case $1 in
    scan)    echo "circle 27,22 27,13 line 33,29 40,36" ;;
    backup)  echo "roundrectangle 17,13 39,36 3,3 line 22,13 22,21 line 22,21 34,21 line 34,21 34,13 line 21,28 35,28" ;;
    startup) echo "arc 16,13 40,37 -60,240 line 28,9 28,24" ;;
    options) echo "line 16,16 40,16 line 16,24 40,24 line 16,32 40,32 circle 22,16 22,19 circle 34,24 34,27 circle 26,32 26,35" ;;
    stats)   echo "rectangle 17,26 21,36 rectangle 26,19 30,36 rectangle 35,12 39,36" ;;
    about)   echo "circle 28,24 28,13 line 28,22 28,30 point 28,18" ;;
    esac
}
nav() {
    local icon=$1 label=$2 file=$3 state=$4 ink plate
    case $state in
    normal)  plate=none;        ink=$SOFT ;;
    hot)     plate=$ACCENT_HOT; ink=white ;;
    pressed) plate=$PAGE;       ink=$ACCENT ;;
    busy)    plate=none;        ink='#5F86AD' ;;
    esac
    local args=(-size 180x49 "xc:$ACCENT_DEEP")
    if [ "$plate" != none ]; then
        args+=(-fill "$plate" -draw "roundrectangle 2,2 177,46 9,9")
    fi
    if [ "$state" = pressed ]; then
        args+=(-fill "$ACCENT" -draw "roundrectangle 2,10 6,37 2,2")
    fi
    args+=(-fill none -stroke "$ink" -strokewidth 3 -draw "$(nav_icon "$icon")"
        -stroke none -fill "$ink" -font "$BOLD" -pointsize 18 -gravity west -annotate +54+0 "$label")
    save "$file.bmp" "${args[@]}"
}
nav_set() { # icon label normal hot pressed [busy]
    nav "$1" "$2" "$3" normal
    nav "$1" "$2" "$4" hot
    [ "$5" = "$4" ] || nav "$1" "$2" "$5" pressed
    [ -z "${6:-}" ] || nav "$1" "$2" "$6" busy
}

# Title-bar buttons of the main window, on the header colour.
bar_button() {
    local w=$1 glyph=$2 file=$3 hot=$4
    local args=(-size "${w}x24" "xc:$ACCENT")
    if [ "$hot" = 1 ]; then
        args+=(-fill "$ACCENT_HOT" -draw "roundrectangle 0,0 $((w - 1)),23 6,6")
    else
        args+=(-fill none -stroke '#5E93C8' -draw "roundrectangle 0,0 $((w - 1)),23 6,6" -stroke none)
    fi
    case $glyph in
    help) args+=(-fill white -font "$BOLD" -pointsize 14 -gravity center -annotate +0+0 "? Help") ;;
    min)  args+=(-fill white -draw "rectangle 8,15 18,17") ;;
    hide) args+=(-fill none -stroke white -strokewidth 2 -draw "polyline 8,8 13,14 18,8" -draw "line 8,18 18,18") ;;
    esac
    save "$file.bmp" "${args[@]}"
}

# ---------------------------------------------------------------------------
# The main window's skin (800 x 620): black outside the rounded shape.
# ---------------------------------------------------------------------------
mark() { # mark SIZE FILL INK OUT.png: the product mark, a rounded square with a K
    local s=$1 r=$(($1 / 5)) w=$((($1 + 6) / 7))
    local x1=$((s * 32 / 100)) x2=$((s * 70 / 100)) xm=$((s * 36 / 100)) y1=$((s * 24 / 100)) y2=$((s * 76 / 100))
    convert -size "${s}x${s}" xc:none -fill "$2" -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $r,$r" \
        -fill none -stroke "$3" -strokewidth "$w" \
        -draw "stroke-linecap round stroke-linejoin round line $x1,$y1 $x1,$y2 polyline $x2,$y1 $xm,$((s / 2)) $x2,$y2" \
        "$4"
}

skin() {
    mark 68 white "$ACCENT" "$work/mark.png"
    convert -size 800x620 "xc:#EDF4FA" \
        -fill "$ACCENT" -draw "rectangle 0,0 799,139" \
        -fill "$ACCENT_DEEP" -draw "rectangle 0,140 204,619" \
        -fill '#2A71B6' -draw "rectangle 0,136 799,139" \
        -fill none -stroke "$LINE" -draw "rectangle 208,146 787,602" -stroke none \
        "$work/mark.png" -geometry +28+36 -composite \
        -fill white -font "$BOLD" -pointsize 44 -annotate +110+82 "Keldrix" \
        -fill '#CFE3F5' -font "$REG" -pointsize 16 -annotate +112+108 "Registry cleaner for Windows" \
        -fill '#9DBFE0' -font "$REG" -pointsize 12 -annotate +18+604 "Back up first. Clean with care." \
        "$work/body.png"
    # Nothing inside the shape may be pure black: that is the cut-out colour.
    convert "$work/body.png" -fill 'rgb(1,1,1)' -opaque black "$work/body.png"
    convert -size 800x620 xc:black -fill white -draw "roundrectangle 0,0 799,619 16,16" "$work/shape.png"
    save 179.bmp -size 800x620 xc:black "$work/body.png" "$work/shape.png" -compose over -composite
}

# ---------------------------------------------------------------------------
# Page backgrounds (574 x 451): a title band and white cards on the page colour.
# ---------------------------------------------------------------------------
page_base() { # OUT.png [band width]
    local band=${2:-573}
    convert -size 574x451 "xc:$PAGE" \
        -fill "$ACCENT" -draw "roundrectangle -10,0 $band,44 10,10" -draw "rectangle -10,0 $band,12" \
        "$1"
}

backgrounds() {
    local b="$work/base.png"
    page_base "$b"

    # Scan categories: a card behind the category names (units 28-178 across,
    # 37-212 down), one for the description (206-366, 57-206).
    save 244.bmp "$b" \
        -fill white -stroke "$LINE" -draw "roundrectangle 36,50 277,354 8,8" \
        -draw "roundrectangle 298,50 560,354 8,8" -stroke none \
        -fill "$ACCENT" -font "$BOLD" -pointsize 14 -annotate +312+72 "Description" \
        -fill "$LINE" -draw "rectangle 312,80 546,80"

    # Scan progress: the category rows (units 22-252, 54-201), the status
    # lines (209-218) and, at the left, the path line with the bar and Stop
    # under it. The path line is a white label: at the end of a scan it reaches
    # down to Stop's bottom edge (units 16-232 across, 220-270 down), so the
    # card takes it in whole, Stop with it; Back and Next stand beside it on
    # the page colour.
    save 245.bmp "$b" \
        -fill white -stroke "$LINE" -draw "roundrectangle 16,80 392,334 8,8" \
        -draw "roundrectangle 16,334 560,392 8,8" -draw "roundrectangle 16,334 356,446 8,8" -stroke none \
        -fill white -draw "rectangle 345,335 362,391" \
        -fill "$LINE" -draw "rectangle 26,334 382,334"

    # Scan results: the list (20, 90)-(555, 370) and the selection counter.
    save 259.bmp "$b" \
        -fill white -stroke "$LINE" -draw "roundrectangle 14,84 561,376 8,8" \
        -draw "roundrectangle 58,50 450,74 8,8" -stroke none

    # Backups: the list (units 10-372, 33-172) and the information card (177-216).
    save 136.bmp "$b" \
        -fill white -stroke "$LINE" -draw "roundrectangle 9,282 564,356 8,8" -stroke none

    # Startup manager: the help card (units 176-195).
    save 140.bmp "$b" \
        -fill white -stroke "$LINE" -draw "roundrectangle 9,280 564,320 8,8" -stroke none

    # Settings pages: the tab row (units 30-45 down), with the page's own tab
    # drawn in: general at 10 units across, schedule at 154.
    local tabs="$work/tabs.png" tab_top
    tab_top=$(uy 30)
    convert "$b" -fill "$LINE" -draw "rectangle 10,$((tab_top + 23)) 563,$((tab_top + 23))" "$tabs"
    tab_png "$PAGE" "$ACCENT" General "$work/tab-general.png"
    tab_png "$PAGE" "$ACCENT" Schedule "$work/tab-schedule.png"
    save 277.bmp "$tabs" "$work/tab-general.png" -geometry "+$(ux 10)+$tab_top" -composite
    save 276.bmp "$tabs"
    save 278.bmp "$tabs" "$work/tab-schedule.png" -geometry "+$(ux 154)+$tab_top" -composite

    # Statistics: the header band stops where the last-scan time begins; the
    # category names, the column heads and the row stripes match the labels
    # (rows at the units below, 8 high; numbers in columns at 209, 257 and
    # 305); each stripe reaches halfway to its neighbours' centres.
    page_base "$work/stats.png" 250
    local names=("COM/ActiveX Entries" "Uninstall Entries" "Font Entries" "Shared DLLs" "Application Paths"
        "Help Files Information" "Windows Startup Items" "File/Path References" "Empty Registry Keys"
        "Program Shortcuts" "File Associations")
    local draw=(-fill "$MUTED" -font "$BOLD" -pointsize 12 -annotate +268+25 "Last scan:")
    local rows=(43 58 72 87 101 115 130 144 159 173 187) centres=() i top bottom colour centre
    for i in "${!rows[@]}"; do
        centres+=($(($(uy "${rows[i]}") + $(uy 8) / 2)))
    done
    for i in "${!names[@]}"; do
        centre=${centres[i]}
        if ((i == 0)); then top=$((centre - 12)); else top=$(((centres[i - 1] + centre + 1) / 2)); fi
        if ((i == ${#rows[@]} - 1)); then bottom=$((centre + 11)); else bottom=$(((centre + centres[i + 1] + 1) / 2 - 1)); fi
        if ((i % 2 == 0)); then colour='rgb(223,221,221)'; else colour='rgb(240,252,247)'; fi
        draw+=(-fill "$colour" -draw "rectangle 14,$top 560,$bottom"
            -fill "$INK" -font "$REG" -pointsize 13 -annotate "+26+$((centre + 5))" "${names[i]}")
    done
    draw+=(-fill "$ACCENT" -font "$BOLD" -pointsize 13 -gravity North
        -annotate +50+44 "Found" -annotate +122+44 "Fixed" -annotate +194+44 "Ignored" -gravity NorthWest)
    save 156.bmp "$work/stats.png" "${draw[@]}" \
        -fill "$ACCENT_DEEP" -draw "roundrectangle 12,334 562,368 8,8"

    # About: the product mark and name; the version text stands at units
    # 128-348 across, 139-161 down.
    mark 120 "$ACCENT" white "$work/bigmark.png"
    save 163.bmp "$b" "$work/bigmark.png" -geometry +44+86 -composite \
        -fill "$ACCENT" -font "$BOLD" -pointsize 50 -annotate +190+140 "Keldrix" \
        -fill "$MUTED" -font "$REG" -pointsize 17 -annotate +192+170 "Registry cleaner for Windows" \
        -fill "$LINE" -draw "rectangle 192,216 540,216" \
        -fill white -stroke "$LINE" -draw "roundrectangle 30,290 544,410 8,8" -stroke none \
        -fill "$INK" -font "$REG" -pointsize 13 \
        -annotate +50+320 "Scans eleven areas of the registry for entries that point nowhere." \
        -annotate +50+346 "Backs up every key and value before it removes anything." \
        -annotate +50+372 "Restores a backup, manages startup programs, scans on a schedule." \
        -annotate +50+398 "Keeps a diagnostic log of every scan."
}

# ---------------------------------------------------------------------------
# Small images
# ---------------------------------------------------------------------------
status_images() {
    save 254.bmp -size 16x16 xc:white -fill "$RED" -draw "circle 7.5,7.5 7.5,0.5" \
        -fill white -draw "rectangle 7,3 8,9 rectangle 7,11 8,12"
    save 255.bmp -size 16x16 xc:white -fill "$GREEN" -draw "circle 7.5,7.5 7.5,0.5" \
        -fill none -stroke white -strokewidth 2 -draw "polyline 4,8 7,11 12,5"
    save 260.bmp -size 16x16 xc:white -fill '#A9B4BF' -draw "circle 7.5,7.5 7.5,0.5" \
        -fill white -draw "rectangle 4,7 11,8"
    save 257.bmp -size 32x32 "xc:$PAGE" -fill "$ACCENT" -draw "circle 15.5,15.5 15.5,1" \
        -fill none -stroke white -strokewidth 3 -draw "circle 14,14 14,7 line 19,19 24,24"
    # The results list: check box unchecked, checked (a tick through the
    # middle), partly checked, then the expanded (minus) and collapsed (plus)
    # group glyphs; magenta is clear. Drawn without smoothing: exact colours.
    local tick="" x low
    for x in 4 5 6 7 8 9 10 11; do
        if ((x <= 6)); then low=$((x + 4)); else low=$((16 - x)); fi
        tick+="line $((16 + x)),$((low - 2)) $((16 + x)),$low "
    done
    save 281.bmp -size 80x16 xc:magenta +antialias \
        -fill white -stroke '#1C5180' -draw "rectangle 1,1 14,14 rectangle 17,1 30,14 rectangle 33,1 46,14" \
        -stroke none -fill '#7FBF7F' -draw "rectangle 36,4 43,11" \
        -stroke '#21A121' -draw "$tick" \
        -fill white -stroke '#808080' -draw "rectangle 50,2 60,12 rectangle 66,2 76,12" \
        -stroke black -draw "line 52,7 58,7 line 68,7 74,7 line 71,4 71,10"
}

# Icons: the product mark at 48, 32 and 16 pixels, with a state badge for the tray.
icons() {
    local s badge
    for s in 16 32 48; do
        mark "$s" "$ACCENT" white "$work/i107-$s.png"
        mark "$s" '#8A9DB0' white "$work/i320-$s.png"
        badge=$((s / 2))
        convert "$work/i107-$s.png" -fill "$RED" -stroke white -strokewidth "$((s / 16))" \
            -draw "circle $((s - badge / 2 - 1)),$((s - badge / 2 - 1)) $((s - badge / 2 - 1)),$((s - badge))" "$work/i321-$s.png"
        convert "$work/i107-$s.png" -fill "$GREEN" -stroke white -strokewidth "$((s / 16))" \
            -draw "circle $((s - badge / 2 - 1)),$((s - badge / 2 - 1)) $((s - badge / 2 - 1)),$((s - badge))" "$work/i322-$s.png"
    done
    for s in 107 320 321 322; do
        convert "$work/i$s-16.png" "$work/i$s-32.png" "$work/i$s-48.png" "$out/$s.ico"
    done
}

# ---------------------------------------------------------------------------
skin
backgrounds
status_images
icons

# Main window: navigation (normal, hot, pressed, busy) and title-bar buttons.
nav_set scan Scan 225 226 215
nav_set backup Backup 219 220 221 272
nav_set startup Startup 222 223 224 273
nav_set options Options 216 217 218 271
nav_set about About 233 234 234
nav_set stats Statistics 228 229 227 274
bar_button 60 help 235 0
bar_button 60 help 230 1
bar_button 27 min 181 0
bar_button 27 min 182 1
bar_button 27 hide 184 0
bar_button 27 hide 185 1

# Scan, progress and results pages.
caption_face 156 49 242
caption_face_hot 156 49 243
caption_face 96 36 246
caption_face_off 96 36 250
caption_face_hot 96 36 251
caption_face 156 49 240
caption_face_hot 156 49 241
primary 96 36 "<< Back" 249
primary_hot 96 36 "<< Back" 248
greyed 96 36 "<< Back" 247
# Stop stands on the progress page's white card.
primary 96 36 "Cancel" 169 14 white
primary_hot 96 36 "Cancel" 170 14 white
primary 105 36 "Select All" 173
primary_hot 105 36 "Select All" 174
primary 105 36 "Select None" 175
primary_hot 105 36 "Select None" 176

# Backups, startup manager, settings.
primary 111 36 "Restore" 142
primary_hot 111 36 "Restore" 141
primary 111 36 "Remove" 187
primary_hot 111 36 "Remove" 190
primary 129 36 "Remove" 269
primary_hot 129 36 "Remove" 267
primary 129 36 "Enable All" 263
primary_hot 129 36 "Enable All" 262
primary 129 36 "Disable All" 264
primary_hot 129 36 "Disable All" 265
primary 129 36 "Disable" 266
primary_hot 129 36 "Disable" 261
primary 129 36 "Enable" 287
primary_hot 129 36 "Enable" 286
primary 111 36 "Remove" 209
primary_hot 111 36 "Remove" 208
primary 144 36 "Update Now" 282
primary_hot 144 36 "Update Now" 284
primary 144 36 "Set Schedule" 280
primary_hot 144 36 "Set Schedule" 275
tab_inactive General 252
tab_hot General 253
tab_active "Ignore List" 193
tab_inactive "Ignore List" 194
tab_inactive Schedule 192

# ---------------------------------------------------------------------------
# Contact sheet: every bitmap at its own size, labelled with its number.
# ---------------------------------------------------------------------------
sheet() { # OUT.png TILE [-label TEXT] FILES...
    local file=$1 tile=$2; shift 2
    montage -font "$REG" -pointsize 11 "$@" -tile "$tile" -geometry +6+6 -background '#9AA5B1' "$file"
}
cd "$out"
pages=(244.bmp 245.bmp 259.bmp 136.bmp 140.bmp 277.bmp 276.bmp 278.bmp 156.bmp 163.bmp)
labelled=()
for f in *.bmp; do
    case " 179.bmp ${pages[*]} " in *" $f "*) continue ;; esac
    # Small images get a tile wide enough for their caption.
    convert "$f" -background '#9AA5B1' -gravity center \
        -extent "$(identify -format '%[fx:max(w,120)]x%h' "$f")" "$work/pad-${f%.bmp}.png"
    labelled+=(-label "$(identify -format '%t  %wx%h' "$f")" "$work/pad-${f%.bmp}.png")
done
sheet "$work/s1.png" 1x -label '%t  %wx%h' 179.bmp
sheet "$work/s2.png" 4x -label '%t  %wx%h' "${pages[@]}"
sheet "$work/s3.png" 8x "${labelled[@]}"
convert "$work/s1.png" "$work/s2.png" "$work/s3.png" -background '#9AA5B1' -gravity west -append contact-sheet.png
