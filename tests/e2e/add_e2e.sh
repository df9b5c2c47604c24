#!/usr/bin/env bash
# Adding questions from the shipped program, driven as a person would with xdotool: the menu
# "Дисциплины" opened by keys, "Добавить вопросы из файла...", a GIFT file's path typed into the
# Open dialog, the report "Добавление вопросов" looked at in a screenshot, its "Открыть" pressed
# with Enter and the new discipline's chooser open; then the new discipline chosen in the menu.
#
#   tests/e2e/add_e2e.sh path/to/exameo.exe WORK_DIR [SCREENSHOT]
#
# SCREENSHOT, when given, receives the picture of the report. Runs inside a Wine session
# (scripts/wine-session.sh); without a DISPLAY it starts its own.
set -euo pipefail
usage="usage: add_e2e.sh EXAMEO_EXE WORK_DIR [SCREENSHOT]"
exe=$(realpath "${1:?$usage}")
work=$(realpath -m "${2:?$usage}")
keep=${3:+$(realpath -m "$3")}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

e2e_start "add e2e" "$exe" "" "$work"
mkdir -p "$work/Base/arith"
# One discipline already there; the file to add, in UTF-8 as Moodle writes it, with a question
# the program cannot ask (a note in the report).
printf '%s\n' 'Арифметика' $'\tСложение"arith\\add.txt"' | cp1251 "$work/Base/1.txt"
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' | cp1251 "$work/Base/arith/add.txt"
cat >"$work/algebra.gift" <<'GIFT'
$CATEGORY: Дроби

::a:: Сколько будет 1/2 + 1/2? {=1 ~2 ~1/4}

::b:: Чему равно 2/4? {=1/2 ~1/4}

::c:: Объясните, что такое дробь. {}

$CATEGORY: Степени

::d:: Сколько будет 2 в квадрате? {=4 ~2}
GIFT


cd "$work"
wine exameo.exe &
program=$!
main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
xdotool windowactivate --sync "$main"
sleep 0.3

# F10, down into "Дисциплины": its first item, Арифметика; down again past the separator to
# "Добавить вопросы из файла...".
xdotool key F10 Down Down Return
dialog=$(find_window 'Добавить вопросы из файла') || fail "the Open dialog did not open"
xdotool windowactivate --sync "$dialog" || true
sleep 0.5
# The file name field has the focus: the file's Windows path, then Enter.
path=$(winepath -w "$work/algebra.gift" 2>/dev/null)
xdotool type --delay 20 "$path"
xdotool key Return
gone 'Добавить вопросы из файла' || { shot open-dialog; fail "the Open dialog stayed (typed $path)"; }

report=$(find_window 'Добавление вопросов') || fail "no report"
[[ -f Base/2.txt && -f Base/d2/1.txt && -f Base/d2/2.txt ]] ||
  fail "the discipline was not written: $(ls -R Base)"
[[ $(head -n 1 Base/2.txt | tr -d '\r') == algebra ]] || fail "Base/2.txt: $(cat Base/2.txt)"
xdotool windowactivate --sync "$report" || true
sleep 0.5
import -frame -window "$report" "$work/report.png"
[[ -n $keep ]] && cp "$work/report.png" "$keep"

# "Открыть" is the default button with the focus: Enter opens the new discipline's chooser,
# titled by its description file.
xdotool key Return
gone 'Добавление вопросов' || fail "Enter did not close the report"
chooser=$(find_window 'Base\\2\.txt') || fail "the new discipline's chooser did not open"
xdotool windowactivate --sync "$chooser" || true
xdotool key Escape
gone 'Base\\2\.txt' || fail "Esc did not close the chooser"

# The menu lists it after Арифметика: F10, down to its first item, down to the second.
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key F10 Down Down Return
chooser=$(find_window 'Base\\2\.txt') || fail "the new discipline is not the menu's second item"
xdotool windowactivate --sync "$chooser" || true
xdotool key Escape
gone 'Base\\2\.txt' || fail "Esc did not close the chooser"

close_program
echo "add e2e: passed; screenshots in $work"
