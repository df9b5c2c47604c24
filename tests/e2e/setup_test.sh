#!/usr/bin/env bash
# The installer under Wine, as a user and an upgrade meet it: a silent install into a fresh
# prefix, the files, shortcuts and the entry in the list of installed programs, the installed
# program started from its Start menu shortcut, an upgrade over a folder holding the user's
# files, a silent uninstall that keeps them, and an install into a folder given with /D.
#
#   tests/e2e/setup_test.sh path/to/exameo-2.0-setup.exe WORK_DIR
#
# The prefix is WORK_DIR/wineprefix, made afresh; the display is the session's (or its own
# when there is no DISPLAY). Wine's menu builder is off (scripts/wine-session.sh) and HOME is a
# folder of the test's own, so that no shortcut reaches the host's menus or desktop.
set -euo pipefail
setup=$(realpath "${1:?usage: setup_test.sh SETUP_EXE WORK_DIR}")
work=${2:?usage: setup_test.sh SETUP_EXE WORK_DIR}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

fail() {
  echo "setup: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/home"
work=$(cd "$work" && pwd)
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
export HOME=$work/home
# shellcheck source=../../scripts/wine-session.sh
source "$here/../../scripts/wine-session.sh" "$work"
[[ $WINEDLLOVERRIDES == *winemenubuilder.exe=d* ]] || fail "Wine's menu builder is not off"
# A fresh prefix links the user's Desktop, Documents and the like to HOME: made real folders
# of the prefix, the desktop shortcut stays inside it.
find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0 |
  while IFS= read -r -d '' link; do rm "$link" && mkdir "$link"; done

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Exameo'
# The entry as it is now, exported: UTF-16 whatever the console's code page, for the folder's
# name may be Cyrillic. No file when there is no entry.
read_entry() {
  rm -f "$work/entry.reg"
  wine reg export "$key" "$(winepath -w "$work/entry.reg" 2>/dev/null | tr -d '\r')" /y \
    >/dev/null 2>&1 || rm -f "$work/entry.reg"
}
# A value of the entry last read (a number for a DWORD), or nothing when it or the entry is
# missing.
entry() {
  [[ -f $work/entry.reg ]] || return 0
  iconv -f UTF-16 -t UTF-8 "$work/entry.reg" | tr -d '\r' | python3 -c '
import re, sys
name = sys.argv[1]
for line in sys.stdin:
    m = re.match(r"\"((?:[^\"\\]|\\.)*)\"=(.*)$", line)
    if not m or m.group(1) != name:
        continue
    value = m.group(2)
    if value.startswith("dword:"):
        print(int(value[6:], 16))
    else:
        print(re.sub(r"\\(.)", r"\1", value[1:-1]))
' "$1"
}
unix() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
appdata=$(unix "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
local_appdata=$(unix "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
user=$(wine cmd /c echo %USERNAME% | tr -d '\r')
desktop=$(unix "C:\\users\\$user\\Desktop")
dir=$local_appdata/Programs/Exameo
menu_link="$appdata/Microsoft/Windows/Start Menu/Programs/Exameo.lnk"
program_files=(exameo.exe exameo-check.exe exameo-import.exe exameo-export.exe exameo-review.exe readme.txt
  uninstall.exe)
shipped=$here/../../sample

# ---- A silent install into the default folder ----
wine "$setup" /S || fail "the silent install exited with $?"
for f in "${program_files[@]}" exameo.ini; do
  [[ -f $dir/$f ]] || fail "$f was not installed into $dir"
done
diff -r "$shipped/Base" "$dir/Base" >/dev/null || fail "Base differs from the sample database"
cmp -s "$shipped/exameo.ini" "$dir/exameo.ini" || fail "exameo.ini is not the shipped one"
[[ -f $menu_link ]] || fail "no Start menu shortcut at $menu_link"
[[ -f $desktop/Exameo.lnk ]] || fail "no desktop shortcut in $desktop"
# The user's folders here stay inside the prefix: nothing was linked out to the host's HOME.
[[ -z $(find "$HOME" -name '*.lnk' -o -name '*.desktop' 2>/dev/null) ]] ||
  fail "a shortcut reached HOME: $(find "$HOME" -name '*.lnk' -o -name '*.desktop')"

read_entry
windir=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')'\Programs\Exameo'
[[ $(entry DisplayName) == "Exameo 2.0" ]] || fail "DisplayName is \"$(entry DisplayName)\""
[[ $(entry DisplayVersion) == "2.0" ]] || fail "DisplayVersion is \"$(entry DisplayVersion)\""
[[ $(entry DisplayIcon) == "$windir\\exameo.exe,0" ]] || fail "DisplayIcon is \"$(entry DisplayIcon)\""
[[ $(entry InstallLocation) == "$windir" ]] || fail "InstallLocation is \"$(entry InstallLocation)\""
[[ $(entry UninstallString) == "\"$windir\\uninstall.exe\"" ]] ||
  fail "UninstallString is \"$(entry UninstallString)\""
[[ $(entry QuietUninstallString) == "\"$windir\\uninstall.exe\" /S" ]] ||
  fail "QuietUninstallString is \"$(entry QuietUninstallString)\""
# EstimatedSize in KiB: the folder's size, within a rounding per file.
size=$(entry EstimatedSize)
actual=$(($(du -sb --exclude=uninstall.exe "$dir" | cut -f1) / 1024))
((size > 0 && size >= actual - 100 && size <= actual + 200)) ||
  fail "EstimatedSize is $size KiB, the folder holds about $actual KiB"
echo "installed into $windir: the program, the tools, exameo.ini, Base, the readme, two shortcuts," \
  "the entry ($size KiB)"

# ---- The installed program from its Start menu shortcut ----
# Started from another folder: only the shortcut's working folder lets it find Base.
(cd "$work" && wine start "$(wine winepath -w "$menu_link" | tr -d '\r')")
main=$(find_window 'Exameo 2.0') || fail "the installed program's window did not appear"
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key F10 Down Return
find_window 'Base\\1.txt' >/dev/null ||
  fail "the first discipline's chooser did not open: the program did not find Base"
shot installed-chooser
xdotool windowactivate --sync "$main"
xdotool key alt+F4
for _ in $(seq 200); do
  xdotool search --onlyvisible --name '^Exameo 2\.0$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --name '^Exameo 2\.0$' >/dev/null 2>&1 && fail "it did not close"
echo "the program started from its shortcut, found Base and closed"

# ---- The user's own files, then an upgrade over them ----
printf '2026-12-09 12:00:00;Математика;Алгебра;4;4;3;75.0;2;60;0\r\n' >"$dir/results.csv"
printf 'review\r\n' >"$dir/reviews.csv"
mkdir -p "$dir/progress"
printf '1234\r\n' >"$dir/progress/0123456789abcdef.txt"
printf '[options]\r\nshuffle_questions=1\r\n' >"$dir/exameo.ini"
printf 'Вопрос, который добавил сам пользователь\r\n\t+Да\r\n' >>"$dir/Base/math/algebra.txt"
rm "$dir/Base/math/mental.txt"
: >"$dir/readme.txt"
mkdir -p "$work/kept"
cp -r "$dir/results.csv" "$dir/reviews.csv" "$dir/progress" "$dir/exameo.ini" \
  "$dir/Base" "$work/kept/"
wine "$setup" /S || fail "the upgrade exited with $?"
for f in results.csv reviews.csv progress exameo.ini; do
  diff -r "$work/kept/$f" "$dir/$f" >/dev/null || fail "the upgrade changed the user's $f"
done
cmp -s "$work/kept/Base/math/algebra.txt" "$dir/Base/math/algebra.txt" ||
  fail "the upgrade overwrote an edited question file"
cmp -s "$shipped/Base/math/mental.txt" "$dir/Base/math/mental.txt" ||
  fail "the upgrade did not bring back a deleted sample file"
cmp -s "$shipped/readme.txt" "$dir/readme.txt" || fail "the upgrade did not replace the readme"
cp "$dir/Base/math/mental.txt" "$work/kept/Base/math/"  # Base as the user has it now
echo "upgrade: results, reviews, progress, options and an edited question kept; a missing" \
  "sample file and the readme brought back"

# ---- A silent uninstall keeps the user's files ----
# The uninstaller copies itself away and runs from there; wait for it to finish.
# The command as the entry gives it: the quoted program, then its arguments.
quiet=$(entry QuietUninstallString)
uninstaller=${quiet#\"}
uninstaller=${uninstaller%%\"*}
read -r -a arguments <<<"${quiet#\""$uninstaller"\"}"
wine "$uninstaller" "${arguments[@]}" || fail "the uninstaller exited with $?"
for _ in $(seq 300); do
  [[ ! -e $dir/uninstall.exe && ! -e $menu_link ]] && break
  sleep 0.1
done
# The entry goes last; give it a moment.
for _ in $(seq 20); do
  read_entry
  [[ -z $(entry DisplayName) ]] && break
  sleep 0.5
done
for f in "${program_files[@]}"; do
  [[ ! -e $dir/$f ]] || fail "the uninstall left $f"
done
[[ ! -e $menu_link ]] || fail "the uninstall left the Start menu shortcut"
[[ ! -e $desktop/Exameo.lnk ]] || fail "the uninstall left the desktop shortcut"
[[ -z $(entry DisplayName) ]] || fail "the uninstall left the entry"
for f in results.csv reviews.csv progress exameo.ini Base; do
  diff -r "$work/kept/$f" "$dir/$f" >/dev/null || fail "the silent uninstall did not keep $f"
done
echo "silent uninstall: program, shortcuts and entry gone; the user's files kept"

# ---- /D chooses the folder ----
wine "$setup" /S '/D=C:\Учёба\Exameo' || fail "the install with /D exited with $?"
other=$(unix 'C:\Учёба\Exameo')
read_entry
for f in "${program_files[@]}" exameo.ini Base/1.txt; do
  [[ -f $other/$f ]] || fail "/D: $f was not installed into $other"
done
[[ $(entry InstallLocation) == 'C:\Учёба\Exameo' ]] ||
  fail "/D: InstallLocation is \"$(entry InstallLocation)\""
[[ ! -e $dir/exameo.exe ]] || fail "/D: the program went into the default folder too"
echo "/D: installed into C:\\Учёба\\Exameo"
echo "setup: passed; screenshots in $work"
