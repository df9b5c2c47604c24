#!/usr/bin/env bash
# The study options of the shipped program, driven as a person would with xdotool: resume on
# through the "Параметры" menu, half a topic answered, the program closed; started again, it
# asks whether to continue, asks only the rest, records the result, and shows the results
# window with its chart.
#
#   tests/e2e/study_e2e.sh path/to/exameo.exe path/to/exameo.ini WORK_DIR [SCREENSHOT]
#
# SCREENSHOT, when given, receives the picture of the results window. Runs inside a Wine
# session (scripts/wine-session.sh); without a DISPLAY it starts its own.
set -euo pipefail
usage="usage: study_e2e.sh EXAMEO_EXE EXAMEO_INI WORK_DIR [SCREENSHOT]"
exe=$(realpath "${1:?$usage}")
ini=$(realpath "${2:?$usage}")
work=${3:?$usage}
keep=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

e2e_start "study e2e" "$exe" "$ini" "$work"
mkdir -p "$work/Base/arith"
grep -q '^resume=0' "$work/exameo.ini" || fail "the shipped exameo.ini does not have resume off"

printf '%s\n' 'Арифметика' $'\tСложение"arith\\add.txt"' | cp1251 "$work/Base/1.txt"
# Answer keys: 1, 2, 1, 2.
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' \
  'Сколько будет 1 + 1?' $'\t-Один' $'\t+Два' \
  'Сколько будет 3 + 3?' $'\t+Шесть' $'\t-Семь' \
  'Сколько будет 5 + 5?' $'\t-Девять' $'\t+Десять' | cp1251 "$work/Base/arith/add.txt"
# Earlier attempts, oldest first as the program appends them, so the chart has a history.
{
  printf '\xEF\xBB\xBF'
  printf '%s\r\n' \
    'Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;Кругов;Длительность, с;Продолжено' \
    '2026-11-20 18:05;Арифметика;Сложение;4;4;1;25,0;3;95;нет' \
    '2026-11-22 17:40;Арифметика;Сложение;4;4;2;50,0;2;80;нет' \
    '2026-11-25 19:10;Физика;Механика;10;10;7;70,0;2;400;нет' \
    '2026-11-27 18:30;Арифметика;Сложение;4;4;3;75,0;2;61;нет'
} >"$work/results.csv"

wait_active() {
  for _ in $(seq 100); do
    [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
    sleep 0.05
  done
  fail "window $1 is not active"
}
# Opens the discipline's chooser and starts its only topic: radio button at (15, 15), 250 x 60,
# OK at (15, 75), 780 x 30.
start_topic() {
  xdotool windowactivate --sync "$main"
  sleep 0.3
  xdotool key F10 Down Return
  local chooser
  chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open"
  sleep 0.3
  click_client "$chooser" 60 45
  click_client "$chooser" 400 90
}
start_program() {
  wine exameo.exe &
  program=$!
  main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
}

cd "$work"

# ---- First run: resume on through the menu, half the topic answered ----
start_program
xdotool windowactivate --sync "$main"
sleep 0.3
# F10, over "Подготовка" to "Параметры", down to its third item "Продолжать с места остановки".
xdotool key F10 Right Right Down Down Down Return
for _ in $(seq 100); do
  grep -q '^resume=1' exameo.ini && break
  sleep 0.05
done
grep -q '^resume=1' exameo.ini || fail "resume was not saved: $(tr -d '\r' <exameo.ini)"
grep -q '^shuffle_questions=0' exameo.ini || fail "another option changed: $(cat exameo.ini)"

start_topic
gone 'Base\\1.txt' || fail "the chooser stayed"
wait_active "$main"
sleep 0.2
xdotool key 1 Return
expect_title "$main" 'Правильно 100.000 %, осталось 3'
xdotool key space
sleep 0.3
xdotool key 2 Return
expect_title "$main" 'Правильно 100.000 %, осталось 2'
shot first-run
# Both solved questions are on disk at once: one progress file, its path line and two keys.
progress=(progress/*.txt)
[[ ${#progress[@]} -eq 1 && -f ${progress[0]} ]] || fail "no progress file"
[[ $(wc -l <"${progress[0]}") -eq 3 ]] || fail "progress file: $(cat "${progress[0]}")"
close_program

# ---- Second run: the box, Yes, only the rest ----
start_program
start_topic
box=$(find_window 'Продолжить с места остановки') || fail "no box asking whether to continue"
sleep 0.3
shot resume-box
# Yes is the default: Enter continues.
xdotool windowactivate --sync "$box"
xdotool key Return
gone 'Продолжить с места остановки' || fail "the box stayed"
wait_active "$main"
sleep 0.3
# The first question asked is question 2: after it, one is left in the round, not three.
xdotool key 1 Return
expect_title "$main" 'Правильно 100.000 %, осталось 1'
shot resumed
xdotool key space
sleep 0.3
xdotool key 2 Return
expect_title "$main" 'Правильно 100.000 %, осталось 0'
xdotool key Return
stats=$(find_window 'Statistics') || fail "no Statistics box"
xdotool windowactivate --sync "$stats"
xdotool key Return
over=$(find_window 'Game over') || fail "no Game over box"
xdotool windowactivate --sync "$over"
xdotool key Return
gone 'Game over' || fail "the Game over box stayed"

# "Game over" forgot the topic and added one record: 4 questions, 2 asked in the first round,
# both right, 100,0 % (a decimal comma, as a Russian spreadsheet reads it), 1 round, resumed.
[[ -z $(ls progress) ]] || fail "the progress was not forgotten: $(ls progress)"
[[ $(wc -l <results.csv) -eq 6 ]] || fail "results.csv: $(cat results.csv)"
# The old ten-column header was rewritten whole before the first record of fourteen.
head -n 1 results.csv | grep -q 'Продолжено;Режим;Частичный зачёт, %;Оценка;Прогноз, %' ||
  fail "the header was not rewritten: $(head -n 1 results.csv)"
last=$(tail -n 1 results.csv | tr -d '\r')
[[ $last =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}\;Арифметика\;Сложение\;4\;2\;2\;100,0\;1\;[0-9]+\;да\;тренировка\;\;\;$ ]] ||
  fail "the new record is \"$last\""
# Every grading of both runs is in the review log, whatever the options: its header and four
# lines, each answered without a mistake in the drill.
[[ $(head -c 3 reviews.csv | od -An -tx1 | tr -d ' \n') == efbbbf ]] || fail "reviews.csv: no BOM"
[[ $(wc -l <reviews.csv) -eq 5 ]] || fail "reviews.csv: $(cat reviews.csv)"
while IFS= read -r line; do
  [[ $line =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z\;Base\\[^\;]+\;[0-9a-f]{16}\;3\;тренировка$ ]] ||
    fail "the review line is \"$line\""
done < <(tail -n +2 reviews.csv | tr -d '\r')

# ---- The results window: F10, "Подготовка", its last item (Up from the first wraps to it) ----
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key F10 Right Down Up Return
results=$(find_window 'Результаты') || fail "no results window"
xdotool windowactivate --sync "$results"
sleep 0.5
# With the window manager's frame, so that the title shows.
import -frame -window "$results" "$work/results.png"
[[ -n $keep ]] && cp "$work/results.png" "$keep"
# The chart's bars are drawn in #2F6FB7: the newest record's topic has four attempts.
bars=$(convert "$work/results.png" -alpha off -fill black +opaque '#2F6FB7' -fill white \
  -opaque '#2F6FB7' -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
((bars > 400)) || fail "the chart shows $bars bar pixels"
# The newest attempt, selected in the list, is marked in its own colour.
picked=$(convert "$work/results.png" -alpha off -fill black +opaque '#E07B00' -fill white \
  -opaque '#E07B00' -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
((picked > 100)) || fail "the selected attempt's bar shows $picked pixels"
# Made smaller by the window manager, the chart is drawn again whole at its new size: the same
# bars, shorter, and the caption still there.
xdotool windowsize --sync "$results" 760 520
sleep 0.8
import -frame -window "$results" "$work/results-resized.png"
small=$(convert "$work/results-resized.png" -alpha off -fill black +opaque '#2F6FB7' -fill white \
  -opaque '#2F6FB7' -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
((small > 100 && small < bars)) || fail "after the resize the chart shows $small bar pixels (before: $bars)"
xdotool key Escape
gone 'Результаты' || fail "Esc did not close the results window"
close_program
echo "study e2e: passed; screenshots in $work"
