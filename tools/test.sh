#!/usr/bin/env bash
# Builds everything and runs every test: the unit and executable tests, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a bounded time, the
# page (its WebAssembly core under Node.js, the page in headless Chromium), the Windows build and
# its release zip under Wine, and a round trip through a real spreadsheet.
# Installs what it needs first (see tools/require.sh). Used by CI and developers alike.
#   QLX_FUZZ_SECONDS   seconds per fuzz target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/require.sh
require cmake make g++ libgtest-dev libbenchmark-dev clang libclang-rt-14-dev locales xxd \
  g++-mingw-w64-x86-64-posix wine64 unzip libreoffice-calc-nogui gnumeric python3

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${QLX_FUZZ_SECONDS:-60}

release() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$jobs"
  # The executable tests sleep five seconds each, so run more tests than there are cores.
  ctest --test-dir build -j"$((jobs * 2))" --output-on-failure
  # Every 257th float bit pattern, formatted against printf and parsed against strtof.
  build/float_format_check 257
}

sanitized() {
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQLX_SANITIZE=ON \
    -DQLX_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build build-sanitize -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-sanitize -j"$((jobs * 2))" --output-on-failure
}

# One fuzz target for the set time: its runs, or its failure and reproducers.
fuzz_one() { # work target
  local work=$1 target=$2 artifact
  mkdir -p "$work/$target"
  if ! build-fuzz/tests/fuzz/${target}_fuzzer -max_total_time="$fuzz_seconds" -print_final_stats=1 \
      -artifact_prefix="$work/$target-" "$work/$target" "tests/fuzz/corpus/$target" \
      >"$work/$target.log" 2>&1; then
    echo "fuzz target $target failed:"
    tail -n 40 "$work/$target.log"
    for artifact in "$work/$target"-*; do
      [ -e "$artifact" ] && { echo "reproducer $artifact:"; xxd "$artifact" | head -n 40; }
    done
  else
    echo "fuzz target $target: $(grep -E '^stat::number_of_executed_units' "$work/$target.log" | awk '{print $2}') runs, no finding"
  fi
}

fuzz() {
  if ! command -v clang++ >/dev/null; then
    echo "skipped: clang++ is not installed"
    return 77
  fi
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLX_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j"$jobs"
  local work status=0 target
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # As many targets at a time as there are cores.
  local running=0
  for target in load import field round_trip; do
    fuzz_one "$work" "$target" >"$work/$target.result" &
    running=$((running + 1))
    [ "$running" -lt "$jobs" ] || { wait -n || true; running=$((running - 1)); }
  done
  wait
  for target in load import field round_trip; do
    cat "$work/$target.result"
    grep -q ', no finding$' "$work/$target.result" || status=1
  done
  return "$status"
}

# Each leg runs on its own, with errors stopping only that leg; 77 means it could not run here.
passed=0 failed=0 skipped=0
leg() { # title command...
  echo "== $1"
  shift
  local status=0
  "$@" &
  wait $! || status=$?
  case $status in
    0) passed=$((passed + 1)) ;;
    77) skipped=$((skipped + 1)) ;;
    *) failed=$((failed + 1)); echo "-- this leg FAILED (status $status)" ;;
  esac
}

leg "Layers" bash tools/check_layers.sh
leg "Release build and tests" release
leg "Sanitizer build (ASan, UBSan) and tests" sanitized
leg "Fuzz targets, ${fuzz_seconds} s each, from the committed corpora" fuzz
leg "The page: its core under Node.js, the page in headless Chromium" bash tools/test_page.sh
leg "Windows build and tests under Wine" bash tools/test_windows.sh
leg "Spreadsheet round trip" bash tools/spreadsheet_check.sh

echo "legs: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
