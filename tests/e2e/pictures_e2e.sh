#!/usr/bin/env bash
# A UTF-8 topic with pictures under Wine: the board draws a task's figure (its pixels found on
# screen at their size), a click on it opens the picture window, Esc closes it.
# Usage: pictures_e2e.sh EXE WORK
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:?usage: pictures_e2e.sh EXE WORK}
work=${2:?usage: pictures_e2e.sh EXE WORK}
# shellcheck source=e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"
e2e_start pictures "$exe" "" "$work"
mkdir -p "$work/Base/formulas"
cp -r "$root/sample/Base/formulas/pictures" "$work/Base/formulas/"
# Only the triangle question, so that the board shows it first.
printf '\xef\xbb\xbfФигуры\r\n\tТреугольник"formulas\\figures.txt"\r\n' >"$work/Base/1.txt"
head -n 5 "$root/sample/Base/formulas/figures.txt" >"$work/Base/formulas/figures.txt"

cd "$work"
wine exameo.exe &
program=$!
main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key F10 Down Return
chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open"
sleep 0.3
click_client "$chooser" 60 45
click_client "$chooser" 400 90
gone 'Base\\1.txt' || fail "the chooser stayed"
sleep 1.5
shot board
# The figure (320 by 220 at 96 DPI, on white) stands under the task's text: below the menu bar,
# in the board's left column, the only white area is the figure's.
x0=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {print $4}')
y0=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
size=$(convert "$work/board.png" -crop "640x265+$x0+$((y0 + 22))" +repage \
  -fill black +opaque white -trim -format '%wx%h' info:-)
[[ $size == 320x220 ]] || fail "the figure is drawn at $size, not 320x220"
# A click on it opens it at full size in a window of its own; Esc closes it.
click_client "$main" 130 150
picture=$(find_window 'Треугольник с углами 50° и 60° при основании и неизвестным углом x при вершине') ||
  fail "the picture window did not open"
sleep 0.5
shot picture
xdotool windowactivate --sync "$picture"
xdotool key Escape
gone 'Треугольник с углами 50° и 60° при основании и неизвестным углом x при вершине' ||
  fail "Esc left the picture window open"
close_program
echo "pictures e2e: passed"
