#!/usr/bin/env bash
# The bank tools as built for Windows speak the user's language under Wine: with a Russian
# user interface language (Wine takes it from LANG, which needs the host to know the locale:
# it is made here with localedef into the work folder and found through LOCPATH) they write
# Russian, into files and pipes as UTF-8 bytes, and on a console (a pseudo-terminal, where Wine
# gives the program a console) through the wide-character console API, so that the text reads
# right whatever the console's code page; with another language they write English. The exit
# code is the same in both.
#
#   tests/e2e/tools_language_e2e.sh TOOLS_DIR WORK_DIR
#
# Run inside a Wine session (scripts/wine-session.sh), as CTest runs it.
set -euo pipefail
tools=$(cd "${1:?usage: tools_language_e2e.sh TOOLS_DIR WORK_DIR}" && pwd)
work=${2:?usage: tools_language_e2e.sh TOOLS_DIR WORK_DIR}

fail() {
  echo "tools language: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/locale"
work=$(cd "$work" && pwd)
command -v localedef >/dev/null || fail "localedef is missing (Debian package libc-bin)"
command -v script >/dev/null || fail "script is missing (Debian package util-linux)"
[[ -d /usr/share/i18n/locales ]] || fail "no locale sources (Debian package locales)"
localedef -i ru_RU -f UTF-8 "$work/locale/ru_RU.UTF-8" >/dev/null 2>&1 ||
  [[ -d $work/locale/ru_RU.UTF-8 ]] || fail "localedef could not make ru_RU.UTF-8"

cd "$work"
printf '::q1:: 2+2? {=4 ~5}\n\nEssay. {}\n' >algebra.gift

# Runs a tool with only the given locale variables; the outputs go to files.
run() {
  local lang=$1 tool=$2
  shift 2
  env -u LC_ALL -u LC_MESSAGES LOCPATH="$work/locale" LANG="$lang" \
    wine "$tools/$tool.exe" "$@" >out.txt 2>err.txt
}

# Into files: UTF-8 bytes; the C runtime's text mode ends the lines with CR LF, as Windows
# programs write them.
expect_file() {
  local file=$1 expected=$2
  printf '%s\n' "$expected" | sed 's/$/\r/' >expected.txt
  cmp -s "$file" expected.txt || {
    echo "--- $file:" >&2
    od -c "$file" | head -20 >&2
    fail "$file is not as expected"
  }
}

code=0
rm -rf Base
run ru_RU.UTF-8 exameo-import algebra.gift missing.gift . || code=$?
((code == 1)) || fail "exameo-import.exe in Russian exited with $code, not 1"
expect_file out.txt "algebra.gift: 1 вопрос в 1 теме записан как Base\\1.txt; 1 потеря в отчёте; \
отброшено намеренно: 1 название вопроса
missing.gift: ничего не записано: файл не читается"
expect_file err.txt "algebra.gift:3: вопрос-эссе пропущен: программа задаёт только вопросы с \
выбором ответа
missing.gift: файл не читается"

code=0
rm -rf Base
run C.UTF-8 exameo-import algebra.gift missing.gift . || code=$?
((code == 1)) || fail "exameo-import.exe in English exited with $code, not 1"
expect_file out.txt "algebra.gift: 1 questions in 1 topics written as Base\\1.txt; 1 losses \
reported; dropped by design: 1 question names
missing.gift: nothing written: cannot read the file"

# Every tool's help in Russian, each of them deciding the language for itself.
for tool in exameo-import exameo-export exameo-check exameo-review; do
  run ru_RU.UTF-8 "$tool" --help || fail "$tool.exe --help exited with $?"
  head -n 1 out.txt | grep -q "^Использование: $tool" ||
    fail "$tool.exe --help does not begin in Russian: $(head -n 1 out.txt)"
done
code=0
run ru_RU.UTF-8 exameo-check --frobnicate || code=$?
((code == 2)) || fail "exameo-check.exe --frobnicate exited with $code, not 2"
expect_file err.txt "exameo-check: неизвестный параметр '--frobnicate'
Справка: exameo-check --help"

# On a console. Wine's console wraps lines and adds escape sequences for the terminal: compared
# without them and without white space. The bytes themselves written to it would be read in
# the console's code page and come out garbled.
code=0
rm -rf Base
env -u LC_ALL -u LC_MESSAGES LOCPATH="$work/locale" LANG=ru_RU.UTF-8 \
  script -qec "wine '$tools/exameo-import.exe' algebra.gift missing.gift ." /dev/null \
  </dev/null >console.txt 2>&1 || code=$?
((code == 1)) || fail "exameo-import.exe on a console exited with $code, not 1"
shown=$(sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' console.txt | tr -d ' \r\n\t')
for part in "algebra.gift:3:вопрос-эссепропущен:программазадаёттольковопросысвыборомответа" \
  "algebra.gift:1вопросв1темезаписанкакBase\\1.txt;1потерявотчёте" \
  "missing.gift:ничегонезаписано:файлнечитается"; do
  [[ $shown == *"$part"* ]] || {
    od -c console.txt | head -20 >&2
    fail "the console does not show $part"
  }
done
# A long text on the console, written in pieces: every character whole across their seams.
# exameo-export writes the same GIFT into a file and onto the console.
for ((n = 1; n <= 1200; n++)); do
  printf 'Вопрос номер %d: сколько будет %d + %d?\r\n\t+%d\r\n\t-ёж\r\n' $n $n $n $((2 * n))
done | iconv -f UTF-8 -t WINDOWS-1251 >long.txt
run ru_RU.UTF-8 exameo-export long.txt || fail "exameo-export.exe long.txt exited with $?"
env -u LC_ALL -u LC_MESSAGES LOCPATH="$work/locale" LANG=ru_RU.UTF-8 \
  script -qec "wine '$tools/exameo-export.exe' long.txt" /dev/null </dev/null >console.txt 2>&1 ||
  fail "exameo-export.exe long.txt on a console exited with $?"
[[ $(wc -c <out.txt) -gt 65536 ]] || fail "the long export is only $(wc -c <out.txt) bytes"
[[ $(sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' console.txt | tr -d ' \r\n\t') == \
  "$(tr -d ' \r\n\t' <out.txt)" ]] || fail "the console shows the long export otherwise"

echo "tools language: Russian and English into files, Russian on a console"
