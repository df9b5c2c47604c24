# Helpers for the end-to-end scripts, sourced by them: the bank files they write and the
# windows they wait for and click. The sourcing script defines fail (its message and cleanup)
# and $work, where the screenshots go.
# shellcheck shell=bash

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
