#!/usr/bin/env bash
# Builds the converter, then converts the bundled example motion to a binary motion file and
# back, working on copies in build/example, and shows the first lines of the result. Each
# conversion pauses five seconds, as it does for a user. The program's messages show on any
# terminal; the CSV file itself is Shift-JIS, which iconv shows on a UTF-8 terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/require.sh
require cmake make g++ libc-bin
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target QLXConverter
mkdir -p build/example
cp examples/walk.csv build/example/walk.csv
build/QLXConverter build/example/walk.csv
rm build/example/walk.csv
build/QLXConverter build/example/walk.qlx
echo "--- first lines of build/example/walk.csv after the round trip (keys now in sorted order):"
head -n 8 build/example/walk.csv | iconv -f CP932 -t UTF-8 | cut -c1-100
