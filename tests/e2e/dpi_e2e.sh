#!/usr/bin/env bash
# Sharp at any scaling: the same graded question at 96 DPI (100 %) and at 144 DPI (150 %), in a
# Wine prefix of its own whose LogPixels the test sets, read back from the screen. At 144 DPI
# every line of text (the menu, the task, each answer, the OK button) is half again as tall as
# at 96 and stands half again as far down, in the same order, none cut off.
#
#   tests/e2e/dpi_e2e.sh path/to/exameo.exe WORK_DIR
#
# Leaves WORK_DIR/graded-96.png and graded-144.png (the main window's top left corner), the
# pictures beside each other in the README.
set -euo pipefail
exe=$(realpath "${1:?usage: dpi_e2e.sh EXAMEO_EXE WORK_DIR}")
work=${2:?usage: dpi_e2e.sh EXAMEO_EXE WORK_DIR}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

fail() {
  echo "dpi-e2e: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/Base/arith"
work=$(cd "$work" && pwd)
cp "$exe" "$work/exameo.exe"
printf '%s\n' 'Арифметика' $'\tСложение "arith\\add.txt"' | cp1251 "$work/Base/1.txt"
printf '%s\n' 'Сколько будет 2 + 2?' $'\t+Четыре' $'\t-Пять' \
  'Сколько будет 1 + 1?' $'\t-Один' $'\t+Два' | cp1251 "$work/Base/arith/add.txt"

# The prefix's DPI is its own: the session's tests keep 96.
# shellcheck source=../../scripts/wine-session.sh
source "$here/../../scripts/wine-session.sh" "$work"

# Runs the program at DPI $1 up to the first question graded right and keeps a picture of its
# main window as $work/window-$1.png.
graded_at() {
  local dpi=$1 main chooser
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  (cd "$work" && exec wine exameo.exe) &
  local program=$!
  main=$(find_window 'Exameo 2.0') || fail "$dpi DPI: the main window did not appear"
  xdotool windowactivate --sync "$main"
  sleep 0.3
  xdotool key F10 Down Return
  chooser=$(find_window 'Base\\1.txt') || fail "$dpi DPI: the chooser did not open"
  sleep 0.3
  # Topic 0's radio button and the OK button, where the chooser puts them at this DPI.
  click_client "$chooser" $((60 * dpi / 96)) $((45 * dpi / 96))
  click_client "$chooser" $((400 * dpi / 96)) $((90 * dpi / 96))
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Base\\1\.txt$' >/dev/null 2>&1 || break
    sleep 0.05
  done
  xdotool windowactivate --sync "$main"
  sleep 0.3
  xdotool key 1 Return
  expect_title "$main" 'Правильно 100.000 %, осталось 1'
  sleep 0.5
  import -window "$main" "$work/window-$dpi.png"
  xdotool key alt+F4
  wait "$program" || fail "$dpi DPI: the program exited with $?"
}

graded_at 96
graded_at 144

# The lines of ink in the top left quarter of each picture (where the question is): rows holding
# dark pixels, grouped into bands. The menu bar, the task, the two answers and the OK button
# each make one.
python3 - "$work" <<'EOF'
import subprocess, sys

work = sys.argv[1]

def bands(dpi):
    ppm = subprocess.run(["convert", f"{work}/window-{dpi}.png", "-depth", "8", "ppm:-"],
                         check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not ppm[pos:pos + 1].isspace():
            pos += 1
        fields.append(ppm[start:pos])
    width, height = int(fields[1]), int(fields[2])
    data = ppm[pos + 1:]
    dark_rows = []
    for y in range(height // 2):
        row = data[y * width * 3:(y * width + width // 2) * 3]
        dark = sum(1 for x in range(0, len(row), 3) if max(row[x], row[x + 1], row[x + 2]) < 96)
        dark_rows.append(dark > 0)
    found, top = [], None
    for y, dark in enumerate(dark_rows + [False]):
        if dark and top is None:
            top = y
        elif not dark and top is not None:
            found.append((top, y - top))
            top = None
    return found

small, large = bands(96), bands(144)
print("96 DPI bands (top, height):", small)
print("144 DPI bands (top, height):", large)
problems = []
if len(small) != 5 or len(large) != 5:
    problems.append(f"expected 5 lines of ink (menu, task, two answers, OK), found {len(small)}"
                    f" at 96 DPI and {len(large)} at 144 DPI")
for i, ((t1, h1), (t2, h2)) in enumerate(zip(small, large)):
    # Each line half again as tall, within what whole pixels allow a glyph's ink (a line of
    # 14 pixels may become 18 to 24), and half again as far down, within the rounding of the
    # lengths above it: the same layout, larger. A line cut off at the bottom of its control
    # would come out short.
    if not 1.25 * h1 <= h2 <= 1.75 * h1:
        problems.append(f"line {i}: {h1} px tall at 96 DPI, {h2} px at 144 DPI")
    if abs(t2 - 1.5 * t1) > 6:
        problems.append(f"line {i}: at {t1} px from the top at 96 DPI, at {t2} px at 144 DPI")
# All the lines together: half again as much ink, top to bottom.
total_small, total_large = sum(h for _, h in small), sum(h for _, h in large)
if not 1.35 * total_small <= total_large <= 1.65 * total_small:
    problems.append(f"the lines hold {total_small} px of ink at 96 DPI, {total_large} at 144 DPI")
if problems:
    sys.exit("dpi-e2e: " + "; ".join(problems))
EOF

# The pictures for the README: the top left corner, where the question is.
convert "$work/window-96.png" -crop 420x170+0+0 +repage "$work/graded-96.png"
convert "$work/window-144.png" -crop 630x255+0+0 +repage "$work/graded-144.png"
echo "dpi-e2e: passed; pictures in $work"
