#!/usr/bin/env bash
# Reviewing across days in the shipped program, driven as a person would with xdotool: a topic
# answered, the review log's times moved back a month, the program started again; the menu
# "Подготовка" offers the four questions as due today, and answering them logs four lines of
# mode повторение and records the session.
#
#   tests/e2e/review_e2e.sh path/to/exameo.exe path/to/exameo.ini WORK_DIR
#
# Runs inside a Wine session (scripts/wine-session.sh); without a DISPLAY it starts its own.
set -euo pipefail
usage="usage: review_e2e.sh EXAMEO_EXE EXAMEO_INI WORK_DIR"
exe=$(realpath "${1:?$usage}")
ini=$(realpath "${2:?$usage}")
work=${3:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

e2e_start "review e2e" "$exe" "$ini" "$work"
mkdir -p "$work/Base/arith"
printf '%s\n' 'Арифметика' $'\tСложение"arith\\add.txt"' | cp1251 "$work/Base/1.txt"
# Answer keys: 1, 2, 1, 2.
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' \
  'Сколько будет 1 + 1?' $'\t-Один' $'\t+Два' \
  'Сколько будет 3 + 3?' $'\t+Шесть' $'\t-Семь' \
  'Сколько будет 5 + 5?' $'\t-Девять' $'\t+Десять' | cp1251 "$work/Base/arith/add.txt"

start_program() {
  wine exameo.exe &
  program=$!
  main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
  xdotool windowactivate --sync "$main"
  sleep 0.3
}
# Answers the four questions right, in file order, through to "Game over".
answer_all() {
  local left=3
  for key in 1 2 1 2; do
    xdotool key "$key" Return
    expect_title "$main" "Правильно 100.000 %, осталось $left"
    if ((left > 0)); then
      xdotool key space
      sleep 0.3
    fi
    left=$((left - 1))
  done
  xdotool key Return
  stats=$(find_window 'Statistics') || fail "no Statistics box"
  xdotool windowactivate --sync "$stats"
  xdotool key Return
  over=$(find_window 'Game over') || fail "no Game over box"
  xdotool windowactivate --sync "$over"
  xdotool key Return
  for _ in $(seq 200); do
    xdotool search --onlyvisible --name '^Game over$' >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "the Game over box stayed"
}

cd "$work"

# ---- First run: the topic drilled ----
start_program
xdotool key F10 Down Return
chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open"
sleep 0.3
click_client "$chooser" 60 45
click_client "$chooser" 400 90
sleep 0.5
xdotool windowactivate --sync "$main"
answer_all
close_program
[[ $(wc -l <reviews.csv) -eq 5 ]] || fail "reviews.csv after the drill: $(cat reviews.csv)"

# ---- A month later: every time in the log 30 days earlier ----
{
  head -n 1 reviews.csv
  tail -n +2 reviews.csv | tr -d '\r' | while IFS=';' read -r when rest; do
    printf '%s;%s\r\n' "$(date -u -d "${when%Z} UTC - 30 days" +%Y-%m-%dT%H:%M:%SZ)" "$rest"
  done
} >reviews.moved
mv reviews.moved reviews.csv

# ---- Second run: "Повторение на сегодня (4)", the second item of "Подготовка" ----
start_program
xdotool key F10 Right Down Down Return
# The session asks the four in the order they were answered (equally retrievable, the first
# due first), with marks as the drill does.
expect_title "$main" 'Exameo 2.0'
sleep 0.5
answer_all
close_program

[[ $(wc -l <reviews.csv) -eq 9 ]] || fail "reviews.csv after the review: $(cat reviews.csv)"
while IFS= read -r line; do
  [[ $line =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z\;Base\\arith\\add\.txt\;[0-9a-f]{16}\;3\;повторение$ ]] ||
    fail "the review line is \"$line\""
done < <(tail -n 4 reviews.csv | tr -d '\r')
last=$(tail -n 1 results.csv | tr -d '\r')
[[ $last =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}\;Все\ дисциплины\;Повторение\;4\;4\;4\;100,0\;1\;[0-9]+\;нет\;повторение\;\;\;$ ]] ||
  fail "the session's record is \"$last\""
echo "review e2e: passed"
