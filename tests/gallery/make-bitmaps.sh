#!/usr/bin/env bash
# Writes the gallery's bitmaps (24-bit .bmp files) into the folder $1.
set -euo pipefail
out=$1
mkdir -p "$out"

HEX=()
for ((i = 0; i < 256; i++)); do HEX[i]=$(printf '\\x%02x' $i); done
le16() { R="${HEX[$(($1 & 255))]}${HEX[$((($1 >> 8) & 255))]}"; }
le32() { R="${HEX[$(($1 & 255))]}${HEX[$((($1 >> 8) & 255))]}${HEX[$((($1 >> 16) & 255))]}${HEX[$((($1 >> 24) & 255))]}"; }

# bmp FILE WIDTH HEIGHT COLORFN: COLORFN x y sets C to 0xRRGGBB.
bmp() {
    local file=$1 w=$2 h=$3 fn=$4
    local stride=$(((w * 3 + 3) & ~3)) head="BM" row x y
    local fields=($((54 + stride * h)) 0 54 40 "$w" "$h")
    for v in "${fields[@]}"; do le32 "$v"; head+=$R; done
    le16 1; head+=$R
    le16 24; head+=$R
    for v in 0 $((stride * h)) 2835 2835 0 0; do le32 "$v"; head+=$R; done
    {
        printf '%b' "$head"
        for ((y = h - 1; y >= 0; y--)); do
            row=""
            for ((x = 0; x < w; x++)); do
                $fn $x $y
                row+="${HEX[$((C & 255))]}${HEX[$(((C >> 8) & 255))]}${HEX[$(((C >> 16) & 255))]}"
            done
            for ((x = w * 3; x < stride; x++)); do row+='\x00'; done
            printf '%b' "$row"
        done
    } > "$file"
}

# The shaped window: a blue body with an orange band, black (cut-out) corner
# triangles and a black square hole in the middle.
shape() {
    local x=$1 y=$2 rx=$((199 - $1)) by=$((149 - $2))
    if ((x + y < 40 || rx + y < 40 || x + by < 40 || rx + by < 40)); then C=0x000000
    elif ((x >= 90 && x < 110 && y >= 65 && y < 85)); then C=0x000000
    elif ((y >= 20 && y < 30)); then C=0xFF8C00
    else C=0x1E90FF
    fi
}
solid_red() { C=0xC80000; }
solid_blue() { C=0x0000C8; }
solid_green() { C=0x00A000; }

bmp "$out/shape.bmp" 200 150 shape
bmp "$out/big.bmp" 64 64 solid_red
bmp "$out/small.bmp" 16 16 solid_blue
bmp "$out/swap.bmp" 64 64 solid_green
