#!/usr/bin/env bash
# Draws the pictures of the sample's figures topic (sample/Base/formulas/pictures): PNGs with
# ImageMagick and the WMF by scripts/make-sample-wmf.py. Run from the tree's root; the results
# are committed, so a build does not need ImageMagick.
set -euo pipefail
out=sample/Base/formulas/pictures
mkdir -p "$out"
draw() {  # draw NAME WIDTH HEIGHT COMMANDS...
  local name=$1 size=$2x$3
  shift 3
  convert -size "$size" xc:white -stroke black -strokewidth 3 -fill none "$@" \
    -define png:exclude-chunks=date,time +set date:create +set date:modify "$out/$name.png"
}
# A triangle with its angles 50° and 60° and the unknown x.
draw triangle 320 220 -draw "polygon 30,190 290,190 120,30" \
  -stroke none -fill black -pointsize 22 \
  -draw "text 58,178 '50°'" -draw "text 222,178 '60°'" -draw "text 112,78 'x'"
# The variants of the graph question: a parabola, a straight line and a circle on axes.
axes=(-strokewidth 1 -draw "line 10,100 190,100" -draw "line 100,10 100,190" -strokewidth 3)
# As short lines: an open path or polyline gets a closing stroke from ImageMagick 6.
parabola=()
for ((x = -60; x < 60; x += 5)); do
  parabola+=(-draw "line $((100 + x)),$((100 - x * x / 45)) $((105 + x)),$((100 - (x + 5) * (x + 5) / 45))")
done
draw parabola 200 200 "${axes[@]}" -stroke blue "${parabola[@]}"
draw line 200 200 "${axes[@]}" -stroke blue -draw "line 30,170 170,30"
draw circle 200 200 "${axes[@]}" -stroke blue -draw "circle 100,100 160,100"
python3 scripts/make-sample-wmf.py "$out/fraction.wmf"
