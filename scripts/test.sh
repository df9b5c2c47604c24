#!/usr/bin/env bash
# shellcheck disable=SC2317 # the steps are called through run_step
# Runs every test of Exameo on a fresh Debian 12 machine: installs what it needs, then builds
# and tests the native build (g++, the Release configuration of the whole tree), the sanitizer
# build (clang, ASan + UBSan, with every fuzz target's corpus replayed and fuzzed briefly), runs
# the benchmarks briefly, and builds and tests the Windows build (MinGW-w64, Release, tests under
# Wine on a virtual display, its benchmark program briefly, the zip and the installer).
#
# Every step runs even when an earlier one failed (unless it needs that one's build); the end
# is a summary of all steps and the exit status is 1 if any of them failed.
#
#     scripts/test.sh                  # every step
#     scripts/test.sh sanitize fuzz    # only these steps, on the builds already there
#
# To add a step: write a function step_<name> that fails (set -e) on any fault, and add a
# run_step line for it at the bottom. Fuzz targets (fuzz/fuzz_<name>.cpp with fuzz/corpus/fuzz_<name>/)
# and benchmark programs (any executable in build/native/bench/) are found by themselves.
set -uo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest
  libbenchmark-dev g++-mingw-w64-x86-64-posix wine64 xvfb openbox xdotool x11-utils
  imagemagick unzip python3 util-linux passwd libpugixml-dev libxml2-dev libstb-dev pkg-config dpkg-dev
  nsis locales libminizip-dev libz-mingw-w64-dev python3-docx python3-openpyxl)
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
  if ! apt-get update -qq ||
    ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; then
    echo "FAILED: the packages could not be installed" >&2
    exit 1
  fi
fi

# Tests that need a user who cannot read every file (binary:gtest name). As root they are left
# out of the CTest runs and run here as an unprivileged user instead; they fail when run as root.
unprivileged_tests=(tests/exameo_bank_tests:Catalogue.ScanPassesOverAFileThatCannotBeOpened
  tests/exameo_core_tests:AddQuestionsTest.ABaseThatCannotBeWrittenSaysSoAndChangesNothing)
unprivileged_user=exameo-test
sanitizer_env=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# CTest of a preset, as many tests at once as there are cores (the tests keep to scratch
# folders of their own); as root without the tests that must run unprivileged.
run_ctest() {
  if [[ $(id -u) -eq 0 ]]; then
    local filter=-
    for t in "${unprivileged_tests[@]}"; do filter+=${t#*:}:; done
    GTEST_FILTER=${filter%:} ctest --preset "$1" --no-tests=error --parallel "$(nproc)"
  else
    ctest --preset "$1" --no-tests=error --parallel "$(nproc)"
  fi
}

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

step_native() {
  build_preset native
  run_ctest native
}

step_sanitize() {
  build_preset sanitize
  run_ctest sanitize # replays every fuzz corpus too (fuzz_<name>_corpus)
}

step_unprivileged() {
  if [[ $(id -u) -ne 0 ]]; then
    echo "not root: these tests ran in the CTest runs as $(id -un)"
    return 0
  fi
  if ! id -u "$unprivileged_user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --shell /usr/sbin/nologin "$unprivileged_user"
  fi
  local preset build t binary test scratch out ran=0
  for preset in native sanitize; do
    build=build/$preset
    [[ ${result[$preset]:-} == passed* ||
      (${result[$preset]:-} == "not selected" && -d $build) ]] || continue
    ran=1
    for t in "${unprivileged_tests[@]}"; do
      binary=$build/${t%%:*} test=${t#*:}
      [[ -x $binary ]] || fail "$binary was not built"
      # A copy in a folder of the user's own: the worktree may lie where the user cannot go.
      scratch=$(mktemp -d)
      cp "$binary" "$scratch/"
      chown -R "$unprivileged_user:" "$scratch"
      out=$(cd "$scratch" && setpriv --reuid="$unprivileged_user" --regid="$unprivileged_user" \
        --clear-groups env HOME="$scratch" TMPDIR="$scratch" "${sanitizer_env[@]}" \
        "./$(basename "$binary")" --gtest_filter="$test" 2>&1) ||
        { echo "$out"; rm -rf "$scratch"; fail "$test ($build) as $unprivileged_user"; }
      rm -rf "$scratch"
      # A filter that matches nothing passes too: the test must have run, and not been skipped.
      if ! grep -q "^\[  PASSED  \] 1 test" <<<"$out" || grep -q "SKIPPED" <<<"$out"; then
        echo "$out"
        fail "$test ($build) did not run as one passing test"
      fi
      echo "$test ($build): passed as $unprivileged_user"
    done
  done
  ((ran)) || fail "no build to run them in"
}

# fuzz_one TARGET: fuzzes one target from a copy of its corpus and prints one line on it.
fuzz_one() {
  local target=$1 name corpus largest max_len work log seeds runs rate
  name=$(basename "$target")
  corpus=fuzz/corpus/$name
  [[ -d $corpus ]] || fail "$name has no corpus folder $corpus"
  seeds=$(find "$corpus" -maxdepth 1 -type f | wc -l)
  ((seeds > 0)) || fail "$corpus holds no seed"
  largest=$(find "$corpus" -maxdepth 1 -type f -printf '%s\n' | sort -n | tail -n 1)
  if [[ -d fuzz/replay/$name ]]; then
    # Its large seeds are replayed only (CTest): fuzzed from small inputs, a run is short.
    max_len=$((largest > 4096 ? largest : 4096))
  else
    # Long enough for the seeds over 64 KiB, so that the block hand-over is fuzzed.
    max_len=$((largest > 70000 ? largest : 70000))
  fi
  # A copy: libFuzzer adds what it finds to the folder it is given.
  work=$(mktemp -d)
  log=$work.log
  cp -r "$corpus"/. "$work"/
  if ! env "${sanitizer_env[@]}" "$target" -max_total_time=10 -max_len="$max_len" \
    -print_final_stats=1 "$work" >"$log" 2>&1; then
    tail -n 40 "$log"
    fail "$name found a fault (inputs kept in $work)"
  fi
  # libFuzzer reports the seed corpus it read: all of it, the largest seed included.
  grep -q "seed corpus: files: $seeds .* max: ${largest}b" "$log" ||
    { grep "seed corpus" "$log"; fail "$name did not start from its $seeds seeds"; }
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
  echo "$name: $seeds seeds (largest $largest bytes), -max_len=$max_len," \
    "$runs runs, $rate inputs a second, no fault"
  rm -rf "$work" "$log"
}

step_fuzz() {
  local targets=() target out running=0 failed=0 i
  for target in build/sanitize/fuzz/fuzz_*; do
    [[ -f $target && -x $target ]] && targets+=("$target")
  done
  ((${#targets[@]})) || fail "no fuzz target was built in build/sanitize/fuzz"
  # Each target is one process on one core for its 10 s: as many at once as there are cores.
  # Their reports are printed in order once all are done.
  out=$(mktemp -d)
  for i in "${!targets[@]}"; do
    if ((running >= $(nproc))); then
      wait -n || true
      running=$((running - 1))
    fi
    (
      set -e
      fuzz_one "${targets[$i]}"
    ) >"$out/$i.log" 2>&1 && touch "$out/$i.ok" &
    running=$((running + 1))
  done
  wait
  for i in "${!targets[@]}"; do
    cat "$out/$i.log"
    [[ -f $out/$i.ok ]] || failed=$((failed + 1))
  done
  rm -rf "$out"
  ((failed == 0)) || fail "$failed of ${#targets[@]} fuzz targets failed"
}

step_bench() {
  local programs=() program report
  mapfile -t programs < <(find build/native/bench -maxdepth 1 -type f -executable | sort)
  ((${#programs[@]})) || fail "no benchmark program was built in build/native/bench"
  for program in "${programs[@]}"; do
    report=$(mktemp --suffix=.json)
    "$program" --benchmark_min_time=0.01 --benchmark_out="$report" \
      --benchmark_out_format=json || fail "$program exited with $?"
    python3 scripts/check-bench.py "$report" || fail "$program reported a fault"
    rm -f "$report"
  done
}

# The zip and the installer of the Windows build, and the bank tools as built for Windows.
mingw_packages_and_tools() {
  local version=$1
  cmake --build --preset mingw --target package
  python3 scripts/check-zip.py "build/mingw/exameo-$version.zip" sample
  echo "build/mingw/exameo-$version.zip: the program, the readme and all of sample/Base"
  [[ -f build/mingw/exameo-$version-setup.exe ]] ||
    fail "the package target made no build/mingw/exameo-$version-setup.exe"
  # exameo-export.exe writes a discipline of the shipped database as Moodle XML (exit 1: it has
  # questions without a correct variant, which Moodle refuses), exameo-import.exe brings it back
  # into a new Base, and exameo-check.exe passes it.
  local root=$PWD tools=$PWD/build/mingw/tools bridge code=0
  bridge=$(mktemp -d)
  mkdir "$bridge/db"
  (cd "$bridge" && wine "$tools/exameo-export.exe" -o Математика.xml "$root/sample/Base/1.txt") ||
    code=$?
  ((code == 1)) || fail "exameo-export.exe exited with $code, not 1"
  (cd "$bridge" && wine "$tools/exameo-import.exe" Математика.xml db)
  (cd "$bridge" && wine "$tools/exameo-check.exe" db)
  rm -rf "$bridge"
  echo "exameo-export.exe, exameo-import.exe and exameo-check.exe: a discipline there and back"
}

step_mingw() {
  # A fresh Wine prefix (wineboot: about 20 s, mostly waiting) is made while the build runs,
  # kept untouched as the template every fresh prefix of the step is copied from: the session's
  # and those of the tests that need one of their own (scripts/wine-session.sh).
  local boot=""
  if [[ ! -f build/mingw/template/wineprefix/system.reg ]]; then
    env -u DISPLAY -u EXAMEO_WINE_TEMPLATE scripts/wine-session.sh --boot build/mingw/template \
      >/dev/null 2>&1 &
    boot=$!
  fi
  build_preset mingw
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/mingw/CMakeCache.txt)
  [[ -z $boot ]] || wait "$boot" || true
  export EXAMEO_WINE_TEMPLATE=$PWD/build/mingw/template/wineprefix
  # shellcheck source=scripts/wine-session.sh
  source scripts/wine-session.sh build/mingw
  # The packages and the bank tools show no window: they are made and checked beside the tests,
  # while the tests that show windows take the display in turn and leave a core mostly idle.
  local side side_pid tests=0 side_status=0
  side=$(mktemp)
  (
    set -e
    mingw_packages_and_tools "$version"
  ) >"$side" 2>&1 &
  side_pid=$!
  # Each test runs once: a test that fails fails the step (a Win32 test waits, bounded, for what
  # comes from the X server and the window manager instead of being run again).
  # As many at once as there are cores: the tests that show windows take the display in turn
  # (RESOURCE_LOCK display), the others run beside them.
  ctest --preset mingw --no-tests=error --parallel "$(nproc)" || tests=$?
  wait "$side_pid" || side_status=$?
  cat "$side"
  rm -f "$side"
  ((tests == 0)) || fail "the Windows tests failed"
  ((side_status == 0)) || fail "the packages or the bank tools for Windows failed"
  # The Windows benchmark programs, briefly, their reports checked as the native ones are; the
  # figure of a benchmark with an aim (placing a picture) is printed beside it, not enforced.
  local programs=() program report
  mapfile -t programs < <(find build/mingw/bench -type f -name '*.exe' | sort)
  ((${#programs[@]})) || fail "no benchmark program was built in build/mingw/bench"
  for program in "${programs[@]}"; do
    report=$(mktemp -p build/mingw --suffix=.json)
    wine "$program" --benchmark_min_time=0.01 --benchmark_out="$report" \
      --benchmark_out_format=json || fail "$program exited with $?"
    python3 scripts/check-bench.py "$report" || fail "$program reported a fault"
    rm -f "$report"
  done
  # The installer in a fresh prefix of its own: install, start, upgrade, uninstall.
  bash tests/e2e/setup_test.sh "build/mingw/exameo-$version-setup.exe" build/mingw/setup-test
}

declare -A result
order=()
selected=" $* "
for name in "$@"; do
  declare -F "step_${name//-/_}" >/dev/null || {
    echo "No step $name; the steps are: $(declare -F | sed -n 's/.* step_//p' | tr '_\n' '- ')" >&2
    exit 2
  }
done

# run_step NAME [STEP IT NEEDS...]: runs the function step_NAME (- becomes _).
run_step() {
  local name=$1 fn=step_${1//-/_} need start rc
  shift
  if [[ $selected != "  " && $selected != *" $name "* ]]; then
    result[$name]="not selected"
    return
  fi
  order+=("$name")
  for need in "$@"; do
    # A step left out by the selection is taken to have been run before.
    if [[ ${result[$need]:-} != passed* && ${result[$need]:-} != "not selected" ]]; then
      result[$name]="not run: $need failed"
      return
    fi
  done
  echo
  echo "== $name"
  start=$SECONDS
  (
    set -e
    "$fn"
  )
  rc=$?
  if ((rc == 0)); then
    result[$name]="passed ($((SECONDS - start)) s)"
  else
    result[$name]="FAILED ($((SECONDS - start)) s)"
  fi
}

run_step native
run_step sanitize
run_step fuzz sanitize
run_step bench native
run_step unprivileged # in every build whose step passed
run_step mingw

echo
echo "== Summary"
passed=0
for name in "${order[@]}"; do
  printf '  %-14s %s\n' "$name" "${result[$name]}"
  [[ ${result[$name]} == passed* ]] && passed=$((passed + 1))
done
echo "  total          $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "steps: $passed passed, $((${#order[@]} - passed)) failed"
status=$((passed < ${#order[@]}))
if ((status)); then
  echo "FAILED: see the steps above" >&2
else
  echo "All steps passed."
fi
exit "$status"
