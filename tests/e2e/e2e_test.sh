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

if [[ -z ${DISPLAY:-} ]]; then
  # shellcheck source=../../scripts/wine-session.sh
  source "$here/../../scripts/wine-session.sh" "$(dirname "$exe")"
fi

rm -rf "$work"
mkdir -p "$work/Base/arith"
cp "$exe" "$work/exameo.exe"

# Writes UTF-8 text from stdin as Windows-1251 with CR LF line ends.
cp1251() { sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 >"$1"; }
printf '%s\n' 'Арифметика' $'\tСложение "arith\\add.txt"' | cp1251 "$work/Base/1.txt"
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' \
  'Сколько будет 1 + 1?' $'\t-Один' $'\t+Два' | cp1251 "$work/Base/arith/add.txt"

fail() {
  echo "e2e: $*" >&2
  exit 1
}
# Waits up to 20 s for a visible top-level window with exactly this title; prints its id.
find_window() {
  local deadline=$((SECONDS + 20)) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
# Waits up to 10 s for the window's title to become the given text.
expect_title() {
  local deadline=$((SECONDS + 10)) name=""
  while ((SECONDS < deadline)); do
    name=$(xdotool getwindowname "$1" 2>/dev/null || true)
    [[ $name == "$2" ]] && return 0
    sleep 0.05
  done
  fail "title is \"$name\", expected \"$2\""
}
# The screen position of a point given in a window's client coordinates.
click_client() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  xdotool mousemove --sync $((x + $2)) $((y + $3)) click 1
}
shot() { import -window root "$work/$1.png"; }
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

# The help menu: F10, over "Параметры" to "Помощь", its first item "О программе".
xdotool windowactivate --sync "$main"
xdotool key F10 Right Right Down Return
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
