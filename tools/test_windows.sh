#!/usr/bin/env bash
# The Windows leg: cross-builds QLXConverter.exe and the test suite with MinGW-w64, runs the
# suite under Wine, checks the executable's imports, and runs the executable on three files at
# once (a conversion each way, one with a Japanese file name, Wine's code page left Western, and
# a motion of random rotations, whose CSV must be the Linux build's byte for byte), a
# run whose second file fails, a failure (on a console and redirected), no argument and a run
# killed while it writes, comparing its files with the Linux build's byte for byte. It also makes the release
# zip and converts the example motion with the executable unpacked from it.
# Expects the Linux build in build/ (tools/test.sh makes it first).
set -euo pipefail
cd "$(dirname "$0")/.."

wine=$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null || true)
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ -z "$wine" ]; then
  echo "skipped: the MinGW-w64 cross compiler or Wine is not installed"
  exit 77
fi
export WINEDEBUG=-all
# English messages, whatever the machine's language; the code page stays the machine's.
unset LC_ALL
export LC_MESSAGES=C
jobs=$(nproc 2>/dev/null || echo 2)

echo "MinGW-w64 build, tests under $("$wine" --version)"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build build-windows -j"$jobs"
exe=build-windows/QLXConverter.exe

# Wine's first start sets up its prefix and takes a while.
timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || true
ctest --test-dir build-windows --output-on-failure --timeout 600

echo "-- imports of QLXConverter.exe"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | sort | tr '\n' ' ')
echo "$imports"
for dll in $imports; do
  case "${dll^^}" in
    KERNEL32.DLL|MSVCRT.DLL|USER32.DLL|SHELL32.DLL) ;;
    *) echo "unexpected DLL import: $dll"; exit 1 ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows" "$work/fail" "$work/mixed" "$work/zip"
rm -f build-windows/QLXConverter-*-windows-x64.zip
(cd build-windows && cpack -G ZIP >/dev/null)
unzip -q build-windows/QLXConverter-*-windows-x64.zip -d "$work/zip"
release=$(ls -d "$work"/zip/QLXConverter-*)
cp examples/walk.csv "$work/linux/walk.csv"
cp examples/walk.csv "$work/windows/歩き.csv"
cp examples/walk.csv "$work/mixed/walk.csv"
build/QLXConverter "$work/linux/walk.csv" 2>"$work/linux-walk.out"
cp "$work/linux/walk.qlx" "$work/linux/back.qlx"
cp "$work/linux/walk.qlx" "$work/windows/back.qlx"
build/QLXConverter "$work/linux/back.qlx" 2>/dev/null
# Random rotations of every kind: the angles are the same text from either build.
build/qlx_make_motion 20000 "$work/linux/random.qlx"
cp "$work/linux/random.qlx" "$work/windows/random.qlx"
QLXCONVERTER_NO_PAUSE=1 build/QLXConverter "$work/linux/random.qlx" 2>/dev/null

# Each run pauses five seconds: run them side by side, each in its own folder. Every run
# records its exit status, which is not 0 for the failure case.
converter=$(realpath "$exe")
run() { # name folder arguments...
  local name=$1 folder=$2
  shift 2
  local status=0
  (cd "$folder" && "$wine" "${program:-$converter}" "$@") >"$work/$name.out" 2>&1 || status=$?
  echo "$status" >"$work/$name.status"
}
run both "$work/windows" "歩き.csv" "back.qlx" "random.qlx" &
run mixed "$work/mixed" "walk.csv" "missing.qlx" &
run fail "$work/fail" "missing.qlx" &
run usage "$work" &
# A name that Windows keeps for a device, and a path longer than 260 characters.
mkdir -p "$work/device"
run device "$work/device" "CON.qlx" &
long="$work/long/$(printf 'folder-of-a-long-name-%02d/' $(seq 1 12))"
mkdir -p "$long"
cp examples/walk.csv "$long/walk.csv"
longWindows="Z:${long//\//\\}walk.csv" # Wine's drive Z: is the root
run long "$long" "$longWindows" &
# On a console (Wine makes one of a terminal) the messages go out as wide characters, which Wine
# shows in the terminal's UTF-8; redirected, they stay code page 932.
mkdir -p "$work/console"
(cd "$work/console" && LC_ALL=C.UTF-8 script -qc "'$wine' '$converter' missing.qlx" /dev/null \
  >"$work/console.out" 2>&1) &
# A run without arguments on a console of its own (as Wine gives a terminal, and Windows a program
# started from the file manager) pauses after the usage text, unless QLXCONVERTER_NO_PAUSE says
# not to; so does the variable for a run with files. Each writes how long it took, in seconds.
timed() { # name command...
  local name=$1 start
  shift
  start=$(date +%s%N)
  "$@" >"$work/$name.out" 2>&1 || true
  echo $((($(date +%s%N) - start) / 1000000000)) >"$work/$name.seconds"
}
timed usage-console script -qc "'$wine' '$converter'" /dev/null &
QLXCONVERTER_NO_PAUSE=1 timed usage-console-no-pause script -qc "'$wine' '$converter'" /dev/null &
mkdir -p "$work/no-pause"
cp examples/walk.csv "$work/no-pause/walk.csv"
QLXCONVERTER_NO_PAUSE=1 timed no-pause "$wine" "$converter" "$work/no-pause/walk.csv" &
# The Linux build's messages are the ones to expect.
build/QLXConverter "$work/linux/missing.qlx" 2>"$work/linux-missing.out" &
program="$release/QLXConverter.exe" run release "$release" walk.csv &
wait

# A run killed while it writes: the system deletes its temporary file with the process.
mkdir -p "$work/killed"
build/qlx_make_motion 2000000 "$work/killed/big.qlx"
(cd "$work/killed" && exec "$wine" "$converter" big.qlx) >/dev/null 2>&1 &
seen=
for _ in $(seq 1 400); do
  sleep 0.05
  if ls -A "$work/killed" | grep -q '\.tmp$'; then seen=yes; break; fi
done
pkill -9 -f 'QLXConverter.exe big.qlx' || true
wait 2>/dev/null || true
for _ in $(seq 1 100); do
  ls -A "$work/killed" | grep -q '\.tmp$' || break
  sleep 0.1
done

passed=0
failed=0
check() {
  if eval "$2"; then echo "ok: $1"; passed=$((passed + 1)); else echo "FAILED: $1"; failed=$((failed + 1)); fi
}
finished=$(sed -n 2p "$work/linux-walk.out")
open_error=$(sed -n 2p "$work/linux-missing.out")
check "three files in one run exit 0" '[ "$(cat "$work/both.status")" = 0 ]'
check "the run echoes the Japanese name as code page 932" 'grep -qF "$(printf "\x95\xE0\x82\xAB.csv")" "$work/both.out"'
check "the run reports success once per file" '[ "$(grep -cF "$finished" "$work/both.out")" = 3 ]'
check "import output equals the Linux build's" 'cmp "$work/windows/歩き.qlx" "$work/linux/walk.qlx"'
check "export output equals the Linux build's" 'cmp "$work/windows/back.csv" "$work/linux/back.csv"'
check "random rotations export as the Linux build exports them" 'cmp "$work/windows/random.csv" "$work/linux/random.csv"'
check "a second file that fails gives its status, -1" '[ "$(cat "$work/mixed.status")" = 255 ]'
check "the first file of that run is converted" 'cmp "$work/mixed/walk.qlx" "$work/linux/walk.qlx"'
check "a missing file exits with -1" '[ "$(cat "$work/fail.status")" = 255 ]'
check "a missing file reports a file open error" 'grep -qF "$open_error" "$work/fail.out"'
check "a failure leaves no file" '[ -z "$(ls -A "$work/fail")" ]'
check "a console shows the messages in any code page" 'grep -qF "ファイルオープンエラー" "$work/console.out" &&
  grep -qF "the file cannot be read: there is no such file" "$work/console.out"'
check "redirected, the messages are code page 932" '! grep -qF "ファイルオープンエラー" "$work/fail.out" &&
  grep -qF "  the file cannot be read: there is no such file" "$work/fail.out"'
check "without arguments on its own console, the usage text stays five seconds" '[ "$(cat "$work/usage-console.seconds")" -ge 4 ] &&
  grep -qF "QLXConverter Usage" "$work/usage-console.out"'
check "QLXCONVERTER_NO_PAUSE=1 skips that pause" '[ "$(cat "$work/usage-console-no-pause.seconds")" -lt 4 ]'
check "QLXCONVERTER_NO_PAUSE=1 skips the pause after a conversion, and only the pause" '[ "$(cat "$work/no-pause.seconds")" -lt 4 ] &&
  cmp "$work/no-pause/walk.qlx" "$work/linux/walk.qlx" && grep -qF "$finished" "$work/no-pause.out"'
check "a device name as input exits -1 and says it is one" '[ "$(cat "$work/device.status")" = 255 ] &&
  grep -qF "its name is one that Windows keeps for a device" "$work/device.out"'
check "the manifest declares long paths" '[ "$(strings "$exe" | grep -c "longPathAware")" -gt 0 ]'
check "a path of more than 260 characters converts" '[ "${#long}" -gt 300 ] &&
  [ "$(cat "$work/long.status")" = 0 ] && cmp "$long/walk.qlx" "$work/linux/walk.qlx"'
check "no argument exits 0" '[ "$(cat "$work/usage.status")" = 0 ]'
check "no argument prints the usage" 'grep -qF "QLXConverter Usage : " "$work/usage.out"'
check "a run killed while it writes leaves no temporary file" '[ -n "$seen" ] &&
  ! ls -A "$work/killed" | grep -q "\.tmp$"'
# The page is in the zip where it was built before it.
page=$([ -f build-page/QLXConverter.html ] && echo "QLXConverter.html " || true)
check "the zip is one folder: the program, the page, the README and the example side by side" \
  '[ "$(LC_ALL=C ls "$release" | tr "\n" " ")" = "QLXConverter.exe ${page}README.md walk.csv walk.qlx " ]'
check "the zip's executable converts its example" '[ "$(cat "$work/release.status")" = 0 ] &&
  cmp "$release/walk.qlx" "$work/linux/walk.qlx"'
echo "Windows executable checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
