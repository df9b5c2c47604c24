#!/usr/bin/env bash
# The shipped program driven as a person would: exameo.exe under Wine on the virtual display,
# keys and clicks through xdotool, the window titles read back, screenshots kept to look at.
#
#   tests/e2e/e2e_test.sh path/to/exameo.exe WORK_DIR
#
# Runs inside a Wine session (scripts/wine-session.sh); without a DISPLAY it starts its own.
set -euo pipefail
exe=$(realpath "${1:?usage: e2e_test.sh EXAMEO_EXE WORK_DIR}")
work=${2:?usage: e2e_test.sh EXAMEO_EXE WORK_DIR}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

if [[ -z ${DISPLAY:-} ]]; then
  # shellcheck source=../../scripts/wine-session.sh
  source "$here/../../scripts/wine-session.sh" "$(dirname "$exe")"
fi

rm -rf "$work"
mkdir -p "$work/Base/arith"
cp "$exe" "$work/exameo.exe"

printf '%s\n' 'Арифметика' $'\tСложение "arith\\add.txt"' | cp1251 "$work/Base/1.txt"
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' \
  'Сколько будет 1 + 1?' $'\t-Один' $'\t+Два' | cp1251 "$work/Base/arith/add.txt"

fail() {
  echo "e2e: $*" >&2
  exit 1
}
# Waits up to 5 s for the window to be the active one, as the window manager sees it: the one
# that gets the keys.
expect_active() {
  local deadline=$((SECONDS + 5))
  while ((SECONDS < deadline)); do
    [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
    sleep 0.05
  done
  fail "\"$(xdotool getwindowname "$1" 2>&1)\" is not active $2 (active:" \
    "\"$(xdotool getactivewindow getwindowname 2>&1)\")"
}
# Clicks the close box in the title bar that the window manager draws for the window: the last
# button at the right end of the frame's top edge (openbox's layout).
close_box() {
  local x y width extents left right top
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  width=$(xwininfo -id "$1" | awk '/Width:/ {print $2}')
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  IFS=', ' read -r left right top _ <<<"$extents"
  [[ -n $top && $top -gt 0 ]] || fail "the window has no title bar to click (extents: $extents)"
  xdotool mousemove --sync $((x + width + right - top / 2 - 2)) $((y - top / 2)) click 1
}
# The window manager holds the window maximized both ways.
expect_maximized() {
  local state
  state=$(xprop -id "$1" _NET_WM_STATE)
  [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]] ||
    fail "not maximized: $state"
}

cd "$work"
start=$(date +%s%N)
wine exameo.exe &
program=$!
main=$(find_window 'Exameo 2.0') || fail "the main window did not appear"
ready=$(date +%s%N)
echo "start-up to the shown main window: $(((ready - start) / 1000000)) ms"
echo "size of exameo.exe: $(stat -c %s "$exe") bytes"
expect_maximized "$main"

# The program's own icon reaches the window manager (title bar, task list) in both sizes: the
# 16-pixel one is a green tick on a white sheet, so its pixel (7, 10) is green.
icons=$(xprop -id "$main" _NET_WM_ICON | grep -a -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[[ $icons == *"Icon (32 x 32)"* && $icons == *"Icon (16 x 16)"* ]] ||
  fail "the window carries the icons \"$icons\", expected 32 x 32 and 16 x 16"
tick=$(xprop -id "$main" -notype 32c _NET_WM_ICON | sed 's/^[^=]*= //' | tr -d ' ' | awk -F, '
  { i = 1; while (i < NF) { w = $i; h = $(i + 1); if (w == 16) { print $(i + 2 + 10 * 16 + 7); exit }
    i += 2 + w * h } }')
[[ -n $tick ]] || fail "no 16-pixel icon to read"
red=$(((tick >> 16) & 255)) green=$(((tick >> 8) & 255))
((green > 120 && red < 80)) || fail "the small icon's tick is not green: $(printf '%08x' "$tick")"

# The discipline menu with the keyboard: F10 selects the bar, Down opens "Дисциплины",
# Return takes its first item.
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key F10 Down Return
chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open"
sleep 0.3
shot chooser
# Radio button of topic 0 at (15, 15), 250 x 60; the OK button at (15, 75), 780 x 30.
click_client "$chooser" 60 45
click_client "$chooser" 400 90
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Base\\1\.txt$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --name '^Base\\1\.txt$' >/dev/null 2>&1 && fail "the chooser stayed"

# The main window is active again once the chooser is gone: the user types straight away.
# Question 0: "1" ticks the correct answer, Enter grades it.
for _ in $(seq 100); do
  [[ $(xdotool getactivewindow 2>/dev/null) == "$main" ]] && break
  sleep 0.05
done
[[ $(xdotool getactivewindow) == "$main" ]] || fail "the main window is not active"
sleep 0.2
xdotool key 1
sleep 0.2
xdotool key Return
expect_title "$main" 'Правильно 100.000 %, осталось 1'
shot graded-right
# Space moves on; question 1: the wrong answer ticked, the right one missed.
xdotool key space
sleep 0.3
xdotool key 1 Return
expect_title "$main" 'Правильно 50.000 %, осталось 0'
sleep 0.3
shot graded-wrong

# End of the round: the summary box; Return closes it and round 2 begins.
xdotool key Return
box=$(find_window 'Statistics') || fail "no Statistics box"
shot statistics
xdotool windowactivate --sync "$box"
xdotool key Return
expect_title "$main" 'Exameo 2.0'
sleep 0.3
shot round-2

# After the box the keys reach the main window again without a click. The chooser is opened by
# key and closed with its close box (the window manager's, in its title bar); then round 2's
# only question (1 + 1, right answer 2) is answered by key.
expect_active "$main" "after the Statistics box"
xdotool key F10 Down Return
chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open after the Statistics box"
sleep 0.3
close_box "$chooser"
gone 'Base\\1\.txt' || fail "the close box did not close the chooser"
expect_active "$main" "after closing the chooser with its close box"
xdotool key 2 Return
expect_title "$main" 'Правильно 100.000 %, осталось 0'
shot round-2-graded

# The round's summary, then "Game over" (a box without an owner); Return closes each. The keys
# then reach the main window: the menu opens by key and a new quiz is answered by key.
xdotool key Return
box=$(find_window 'Statistics') || fail "no Statistics box at the end of round 2"
expect_active "$box" "when it comes up"
xdotool key Return
box=$(find_window 'Game over') || fail "no Game over box"
shot game-over
expect_active "$box" "when it comes up"
xdotool key Return
gone 'Game over' || fail "the Game over box stayed"
expect_title "$main" 'Exameo 2.0'
expect_active "$main" "after Game over"
xdotool key 1 Return
expect_title "$main" 'Exameo 2.0'  # no quiz: the keys do nothing
xdotool key F10 Down Return
chooser=$(find_window 'Base\\1.txt') || fail "the chooser did not open after Game over"
sleep 0.3
click_client "$chooser" 60 45
click_client "$chooser" 400 90
gone 'Base\\1\.txt' || fail "the chooser stayed"
expect_active "$main" "after the chooser's OK"
xdotool key 1 Return
expect_title "$main" 'Правильно 100.000 %, осталось 1'
shot new-quiz

# The help menu: F10, over "Подготовка" and "Параметры" to "Помощь", its first item
# "О программе".
xdotool windowactivate --sync "$main"
xdotool key F10 Right Right Right Down Return
about=$(find_window 'О программе') || fail "no About box"
sleep 0.3
shot about
xdotool windowactivate --sync "$about"
xdotool key Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^О программе$' >/dev/null 2>&1 || break
  sleep 0.05
done

# Closing the main window ends the program with exit code 0, also while a chooser is open (it
# goes with its owner).
xdotool windowactivate --sync "$main"
sleep 0.2
xdotool key F10 Down Return
find_window 'Base\\1.txt' >/dev/null || fail "the chooser did not open before closing"
xdotool windowactivate --sync "$main"
xdotool key alt+F4
code=0
wait "$program" || code=$?
[[ $code -eq 0 ]] || fail "exit code $code"

# Started minimized, the program still shows its window maximized.
wine start /min exameo.exe
main=$(find_window 'Exameo 2.0') || fail "the main window did not appear when started minimized"
expect_maximized "$main"
[[ $(xprop -id "$main" _NET_WM_STATE) != *_NET_WM_STATE_HIDDEN* ]] || fail "started hidden"
xdotool windowactivate --sync "$main"
xdotool key alt+F4
for _ in $(seq 200); do
  xdotool search --onlyvisible --name '^Exameo 2\.0$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --name '^Exameo 2\.0$' >/dev/null 2>&1 && fail "did not close"
echo "e2e: passed; screenshots in $work"
