#!/usr/bin/env bash
# Formulas and pictures under Wine, by keys as far as keys go. The sample's UTF-8 discipline
# "Формулы (Юникод)": the menu, the chooser and the answers by keys, the board's variants read
# back character for character (², π, ≤, −); its figure found on screen at its size; the
# picture window opened by F3 and by a click, closed by Esc, the keys back on the board. Then a
# Moodle XML file with a picture (base64 <file>, @@PLUGINFILE@@) added through "Добавить
# вопросы из файла..." by keys, drilled, and its picture found on the board.
# Usage: pictures_e2e.sh EXE BOARD_TEXTS_EXE WORK [SCREENSHOT]
# SCREENSHOT, when given, receives the picture of the first question with formulas.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
usage="usage: pictures_e2e.sh EXE BOARD_TEXTS_EXE WORK [SCREENSHOT]"
exe=${1:?$usage}
texts=${2:?$usage}
work=$(realpath -m "${3:?$usage}")
keep=${4:+$(realpath -m "$4")}
# shellcheck source=e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"
e2e_start pictures "$exe" "$root/sample/exameo.ini" "$work"
cp -r "$root/sample/Base/." "$work/Base/"
cp "$texts" "$work/board_texts.exe"

# The Moodle XML file: one question whose text holds a red 120 by 80 picture.
convert -size 120x80 xc:'#ff0000' "$work/red.png"
cat >"$work/colours.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<quiz>
<question type="category"><category><text>\$course\$/Цвета</text></category></question>
<question type="multichoice">
<name><text>Цвет</text></name>
<questiontext format="html"><text><![CDATA[<p>Какого цвета прямоугольник? <img src="@@PLUGINFILE@@/red.png" alt="Красный прямоугольник"></p>]]></text>
<file name="red.png" path="/" encoding="base64">$(base64 -w0 "$work/red.png")</file></questiontext>
<single>true</single>
<answer fraction="100"><text>красного (λ ≈ 700 нм)</text></answer>
<answer fraction="0"><text>синего (λ ≤ 490 нм)</text></answer>
</question>
</quiz>
XML

# Waits up to 10 s until the board's last check boxes read exactly the arguments, in order.
expect_boxes() {
  local want got="" deadline=$((SECONDS + 10))
  want=$(printf '%s\n' "$@")
  while ((SECONDS < deadline)); do
    got=$(wine board_texts.exe 2>/dev/null | tail -n $# || true)
    [[ $got == "$want" ]] && return 0
    sleep 0.1
  done
  fail "the board's variants read [$(echo "$got" | paste -sd '|')], not [$(echo "$want" | paste -sd '|')]"
}
# Waits up to 10 s until the window is the active one.
expect_active() {
  local deadline=$((SECONDS + 10))
  while ((SECONDS < deadline)); do
    [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
    sleep 0.05
  done
  fail "$2"
}
# The size of the area of one colour (ImageMagick's name) in the board's left column below the
# menu bar, as high as the second argument, in the last screenshot.
area_of() {
  local x0 y0
  x0=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {print $4}')
  y0=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
  convert "$work/board.png" -crop "640x$2+$x0+$((y0 + 22))" +repage \
    -fill black +opaque "$1" -trim -format '%wx%h' info:-
}

cd "$work"
wine exameo.exe &
program=$!
main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
xdotool windowactivate --sync "$main"
sleep 0.3

# "Дисциплины", its sixth item; in the chooser the third topic, "Неравенства ≤ ≥ ...".
xdotool key F10 Down Down Down Down Down Down Return
chooser=$(find_window 'Base\\6\.txt') || fail "the sixth discipline's chooser did not open"
xdotool windowactivate --sync "$chooser" || true
xdotool key Down Down Return
gone 'Base\\6\.txt' || fail "Enter left the chooser open"
expect_active "$main" "the board did not get the keys back from the chooser"
expect_boxes '√120' '4' 'π' '2π'
if [[ -n $keep ]]; then
  sleep 0.5
  # The maximized window's frame from the screen's corner, its title bar too.
  y0=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
  import -window root -crop "640x$((y0 + 170))+0+0" +repage "$keep"
fi
xdotool key 3 Return
expect_title "$main" 'Правильно 100.000 %, осталось 8'
xdotool key Return
expect_boxes 'x = 2' 'x = 3' 'x = 2,5' 'x = π'
xdotool key 1 Return Return
expect_boxes '−4' '4' '10' '21'
xdotool key 2 Return Return
expect_boxes 'x ≤ 3' 'x ≥ 12' 'x ≥ 3' 'x > 6'
# Three more by keys, to the question whose variants hold squares.
xdotool key 3 Return Return 2 Return Return 4 Return Return 2 Return Return
expect_boxes 'x > 0' 'x² > 0' 'x ≤ x²' 'x² ≥ 0'

# The fourth topic, "Фигуры и графики (рисунки)": its first question shows the triangle.
xdotool key F10 Down Down Down Down Down Down Return
chooser=$(find_window 'Base\\6\.txt') || fail "the chooser did not open again"
xdotool windowactivate --sync "$chooser" || true
xdotool key Down Down Down Return
gone 'Base\\6\.txt' || fail "Enter left the chooser open"
expect_active "$main" "the board did not get the keys back from the chooser"
expect_boxes '60°' '70°' '80°' '50°'
sleep 0.5
shot board
# The figure (320 by 220 at 96 DPI, on white) stands under the task's text: in the board's left
# column, above the check boxes, the only white area is the figure's.
size=$(area_of white 265)
[[ $size == 320x220 ]] || fail "the figure is drawn at $size, not 320x220"

# F3 opens it at full size in a window of its own, a click does too; Esc closes it and the
# board has the keys again.
title='Треугольник с углами 50° и 60° при основании и неизвестным углом x при вершине'
xdotool key F3
picture=$(find_window "$title") || fail "F3 did not open the picture window"
# Openbox does not focus a window that a key of another window opened, as it does not the
# chooser and the reports: the user's click, here xdotool's.
xdotool windowactivate --sync "$picture" || true
expect_active "$picture" "the picture window did not take the keys"
shot picture
xdotool key Escape
gone "$title" || fail "Esc left the picture window open"
expect_active "$main" "the board did not get the keys back from the picture window"
click_client "$main" 130 150
picture=$(find_window "$title") || fail "a click did not open the picture window"
xdotool windowactivate --sync "$picture" || true
expect_active "$picture" "the picture window did not take the keys"
xdotool key Escape
gone "$title" || fail "Esc left the picture window open"
expect_active "$main" "the board did not get the keys back from the picture window"
# The next question's variants are pictures, each labelled by its text.
xdotool key 2 Return Return
expect_boxes 'Парабола с вершиной в начале координат' 'Прямая, проходящая через начало координат' \
  'Окружность с центром в начале координат'

# The Moodle XML file through "Добавить вопросы из файла..." (after the six disciplines and a
# separator), its path typed into the Open dialog; the report's "Открыть" opens its chooser.
xdotool key F10 Down Down Down Down Down Down Down Return
dialog=$(find_window 'Добавить вопросы из файла') || fail "the Open dialog did not open"
xdotool windowactivate --sync "$dialog" || true
sleep 0.5
xdotool type --delay 20 "$(winepath -w "$work/colours.xml" 2>/dev/null)"
xdotool key Return
gone 'Добавить вопросы из файла' || fail "the Open dialog stayed"
report=$(find_window 'Добавление вопросов') || fail "no report"
xdotool windowactivate --sync "$report" || true
xdotool key Return
gone 'Добавление вопросов' || fail "Enter did not close the report"
chooser=$(find_window 'Base\\7\.txt') || fail "the new discipline's chooser did not open"
xdotool windowactivate --sync "$chooser" || true
xdotool key space Return
gone 'Base\\7\.txt' || fail "Enter left the chooser open"
expect_active "$main" "the board did not get the keys back from the chooser"
expect_boxes 'красного (λ ≈ 700 нм)' 'синего (λ ≤ 490 нм)'
sleep 0.5
shot board
size=$(area_of red 700)
[[ $size == 120x80 ]] || fail "the imported picture is drawn at $size, not 120x80"
close_program
echo "pictures e2e: passed"
