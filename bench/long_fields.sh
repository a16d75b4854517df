#!/usr/bin/env bash
# The import's peak memory on files with a very long field, next to the same files without it:
# a 200 MB CSV whose first bone name opens a quote that never closes, and a motion with 100 MB of
# bytes after its light keys (a tail row of 200 MB). Each pair should differ by a few megabytes
# at most, whatever the field's length.
#
#   bash bench/long_fields.sh
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/require.sh
require cmake make g++ time python3

build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQLX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target QLXConverter qlx_make_motion >/dev/null
work="$build/long-fields"
mkdir -p "$work"
exe="$PWD/$build/QLXConverter"
export QLXCONVERTER_NO_PAUSE=1

# The CSV of a million bone keys, as the export writes it, and the same with a quote before the
# first bone name; nothing after it closes the quote.
[ -e "$work/plain.qlx" ] || "$build/qlx_make_motion" 1000000 "$work/plain.qlx"
"$exe" "$work/plain.qlx" >/dev/null 2>&1
python3 - "$work/plain.csv" "$work/quote.csv" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
lines = data.split(b'\r\n', 3)
open(sys.argv[2], 'wb').write(b'\r\n'.join(lines[:3] + [b'"' + lines[3]]))
PY
# A small motion, and the same with 100 MB after its light keys.
"$build/qlx_make_motion" 1000 "$work/short.qlx" 100 10 10
cp "$work/short.qlx" "$work/long.qlx"
head -c $((100 << 20)) /dev/urandom >>"$work/long.qlx"
"$exe" "$work/short.qlx" >/dev/null 2>&1
"$exe" "$work/long.qlx" >/dev/null 2>&1

peak_mb() {
    /usr/bin/time -f %M -o "$work/rss" "$exe" "$1" >/dev/null 2>&1
    echo $(($(cat "$work/rss") / 1024))
}
printf '%-34s %8s %8s %8s\n' "import of" "MB" "peak-MB" "+MB"
for pair in "plain quote" "short long"; do
    set -- $pair
    without=$(peak_mb "$work/$1.csv")
    with=$(peak_mb "$work/$2.csv")
    for name in "$1" "$2"; do
        size=$(($(stat -c %s "$work/$name.csv") >> 20))
        peak=$([ "$name" = "$1" ] && echo "$without" || echo "$with")
        printf '%-34s %8s %8s %8s\n' "$name.csv" "$size" "$peak" \
            "$([ "$name" = "$1" ] && echo - || echo $((with - without)))"
    done
done
