#!/usr/bin/env bash
# Writes the tip-of-the-day pages Tip1.html, Tip2.html ... into the folder $1:
# one page of Tip.html.in for each line of tips.txt (a title, a tab, the text
# in HTML).
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true  # "&" in a text stays "&"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$1
mkdir -p "$out"
template=$(<"$here/Tip.html.in")
count=$(grep -c . "$here/tips.txt")
n=0
while IFS=$'\t' read -r title text; do
    [ -n "$title" ] || continue
    n=$((n + 1))
    page=${template//@NUMBER@/$n}
    page=${page//@COUNT@/$count}
    page=${page//@TITLE@/$title}
    page=${page//@TEXT@/$text}
    printf '%s\n' "$page" >"$out/Tip$n.html"
done <"$here/tips.txt"
