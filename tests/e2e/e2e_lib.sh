# Helpers for the end-to-end scripts, sourced by them: their start, the bank files they write
# and the windows they wait for and click. The sourcing script sets $work, where the
# screenshots go, and calls e2e_start or defines fail (its message and cleanup) itself.
# shellcheck shell=bash

e2e_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The start of a script that drives the program: a Wine session unless one runs already (a
# DISPLAY is set), and WORK made afresh holding EXE and INI as exameo.exe and exameo.ini, as the
# zip unpacks them, so that everything the program writes stays in WORK (an empty INI: none, and
# the program keeps its data in the Wine prefix). NAME prefixes fail's messages.
e2e_start() {
  local exe=${2:?usage: e2e_start NAME EXE INI WORK} ini=${3?} work_dir=${4:?}
  e2e_name=$1
  program=""
  if [[ -z ${DISPLAY:-} ]]; then
    # shellcheck source=../../scripts/wine-session.sh
    source "$e2e_lib_dir/../../scripts/wine-session.sh" "$(dirname "$exe")"
  fi
  rm -rf "$work_dir"
  mkdir -p "$work_dir/Base"
  cp "$exe" "$work_dir/exameo.exe"
  [[ -z $ini ]] || cp "$ini" "$work_dir/exameo.ini"
}

# Says what went wrong and ends the script; a program it started ($program) is killed, since
# one left running would hold the test's output open.
fail() {
  echo "${e2e_name:-e2e}: $*" >&2
  [[ -n ${program:-} ]] && kill "$program" 2>/dev/null
  exit 1
}

# Writes UTF-8 text from stdin as Windows-1251 with CR LF line ends.
cp1251() { sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 >"$1"; }
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
# Waits up to 10 s until no visible top-level window has exactly this title; false when one stays.
gone() {
  local deadline=$((SECONDS + 10))
  while ((SECONDS < deadline)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  return 1
}
# Closes the main window ($main) with Alt+F4 and waits for the program ($program) to end with
# exit code 0.
close_program() {
  xdotool windowactivate --sync "$main"
  xdotool key alt+F4
  local code=0
  wait "$program" || code=$?
  program=""
  [[ $code -eq 0 ]] || fail "exit code $code"
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
# Clicks a point given in a window's client coordinates.
click_client() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  xdotool mousemove --sync $((x + $2)) $((y + $3)) click 1
}
# A screenshot of the whole display, kept in $work.
# shellcheck disable=SC2154 # $work is set by the sourcing script
shot() { import -window root "$work/$1.png"; }
