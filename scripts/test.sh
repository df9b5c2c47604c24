#!/usr/bin/env bash
# Runs every test of Exameo on a fresh Debian 12 machine: installs what it needs, then builds
# and tests the native build (g++), the sanitizer build (clang, ASan + UBSan, with the fuzz
# targets run briefly) and the Windows build (MinGW-w64, tests under Wine on a virtual
# display), and runs the benchmarks briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest
  libbenchmark-dev g++-mingw-w64-x86-64-posix wine64 xvfb openbox xdotool x11-utils
  imagemagick unzip libpugixml-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run as root, or: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "== Installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

step() { echo; echo "== $*"; }

step "Native build (g++)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

step "Sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize

step "Fuzz targets, a few seconds each"
for target in build/sanitize/fuzz/fuzz_*; do
  [[ -x $target ]] || continue
  name=$(basename "$target")
  corpus=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  [[ -d $corpus ]] && cp -r "$corpus"/. "$work"/
  if ! "$target" -max_total_time=5 -print_final_stats=1 "$work" >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    echo "$name found a fault" >&2
    exit 1
  fi
  echo "$name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work.log" | grep -o '[0-9]*$') runs, no fault"
  rm -rf "$work" "$work.log"
done

step "Benchmarks, briefly"
build/native/bench/exameo_bench --benchmark_min_time=0.01

step "Windows build (MinGW-w64), tests under Wine on a virtual display"
cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --build --preset mingw --target package
unzip -l build/mingw/exameo-2.0.zip | grep -E "exameo.exe|readme.txt|Base/1.txt" >/dev/null ||
  { echo "the zip lacks the program, the readme or the database" >&2; exit 1; }
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh build/mingw
ctest --preset mingw

# The bank tools as shipped: under Wine, exameo-export.exe writes a discipline of the shipped
# database as Moodle XML (exit 1: it has questions without a correct variant, which Moodle
# refuses), exameo-import.exe brings it back into a new Base, and exameo-check passes that.
step "Bank tools in the zip and under Wine"
unzip -l build/mingw/exameo-2.0.zip | grep -cE "exameo-(check|import|export)\.exe" | grep -qx 3 ||
  { echo "the zip lacks one of exameo-check.exe, exameo-import.exe, exameo-export.exe" >&2; exit 1; }
tools=$PWD/build/mingw/tools
bridge=$(mktemp -d)
(cd "$bridge" && mkdir db &&
  { wine "$tools/exameo-export.exe" -o Математика.xml "$OLDPWD/sample/Base/1.txt" 2>/dev/null ||
    [[ $? -eq 1 ]]; } &&
  wine "$tools/exameo-import.exe" Математика.xml db)
build/native/tools/exameo-check "$bridge/db"
rm -rf "$bridge"
