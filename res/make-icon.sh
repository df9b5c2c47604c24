#!/usr/bin/env bash
# Draws the program's icon with ImageMagick: a blue tile with a sheet of three answer boxes,
# two of them ticked. Each size is drawn on its own grid rather than scaled down, so that the
# small ones stay sharp: 32 pixels leave out the text lines, 16 shows one large tick.
#
#   res/make-icon.sh            # writes res/exameo.ico (16, 32, 48, 256) and docs/icon.png
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

draw() { # size, output
  local s=$1 out=$2
  # All coordinates on a 256 grid, scaled to the size.
  local k
  k=$(awk -v s="$s" 'BEGIN { printf "%.4f", s / 256 }')
  local lines=1
  ((s >= 48)) || lines=0
  local stroke
  stroke=$(awk -v s="$s" 'BEGIN { w = s / 256 * 22; if (w < 2) w = 2; printf "%.2f", w }')
  {
    echo "viewbox 0 0 $s $s"
    echo "affine $k 0 0 $k 0 0"
    # The tile.
    echo "fill #1f5fae stroke none roundrectangle 8,8 248,248 44,44"
    echo "fill #2f7fd8 roundrectangle 8,8 248,150 44,44"
    echo "fill #1f5fae rectangle 8,110 248,150"
    # The sheet.
    echo "fill #ffffff roundrectangle 44,30 212,226 14,14"
    if ((s < 32)); then
      # Too small for three boxes: one large tick on the sheet.
      echo "fill none stroke #1f9d3a stroke-width 40 stroke-linecap round stroke-linejoin round"
      echo "polyline 78,128 118,172 184,82"
    fi
    for row in 0 1 2; do
      ((s >= 32)) || break
      local y=$((58 + row * 56))
      echo "fill none stroke #1f5fae stroke-width 10 rectangle 64,$y 104,$((y + 40))"
      if ((lines)); then
        echo "fill #9bb7dc stroke none rectangle 120,$((y + 14)) 192,$((y + 26))"
      fi
    done
    echo "fill none stroke #1f9d3a stroke-width $(awk -v w="$stroke" -v k="$k" 'BEGIN { printf "%.1f", w / k }') stroke-linecap round stroke-linejoin round"
    if ((s >= 32)); then
      echo "polyline 70,78 84,92 112,52"
      echo "polyline 70,190 84,204 112,164"
    fi
  } >"$work/icon.mvg"
  convert -size "${s}x${s}" xc:none -draw "$(cat "$work/icon.mvg")" "PNG32:$out"
}

for s in 16 32 48 256; do draw "$s" "$work/$s.png"; done
convert "$work/16.png" "$work/32.png" "$work/48.png" "$work/256.png" res/exameo.ico
cp "$work/256.png" docs/icon.png
echo "res/exameo.ico, docs/icon.png"
