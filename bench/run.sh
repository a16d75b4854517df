#!/usr/bin/env bash
# The whole-process benchmark: times the real converter as a user does (start, convert, exit) on
# generated motions of 10 thousand to 5 million bone keys, next to an I/O floor measured in the
# same run (copying the input, writing the output's size from memory), with medians and ranges
# from hyperfine and peak RSS from /usr/bin/time. The five-second pause is skipped with
# QLXCONVERTER_NO_PAUSE, as a script skips it. Then the export of bone names made to slow the
# key order against random ones, and the number-codec micro-benchmarks.
#
# Given the executable of an earlier build, it times that one too, on the same files, each run of
# one followed by a run of the other, and prints both rows (the earlier one marked "before").
#
#   bash bench/run.sh                  all sizes, five runs each
#   bash bench/run.sh OLD_EXE          the same, beside an earlier build
#   QLX_BENCH_SIZES="100000" QLX_BENCH_RUNS=3 bash bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/require.sh
require cmake make g++ libbenchmark-dev hyperfine time python3

build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQLX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target QLXConverter qlx_make_motion qlx_codec_bench >/dev/null
work="$build/motions"
mkdir -p "$work"
exe="$PWD/$build/QLXConverter"
before="${1:+$(realpath "$1")}"
export QLXCONVERTER_NO_PAUSE=1
runs="${QLX_BENCH_RUNS:-5}"

# "median range" of each executable's runs on one input, in seconds: one run of each in turn,
# after one of each to warm up, so that both see the same machine.
alternate() { # input executable...
    python3 - "$runs" "$@" <<'EOF'
import statistics, subprocess, sys, time
runs, path, exes = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
times = {exe: [] for exe in exes}
for round in range(runs + 1):
    for exe in exes:
        start = time.perf_counter()
        subprocess.run([exe, path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if round > 0:
            times[exe].append(time.perf_counter() - start)
for exe in exes:
    t = times[exe]
    print("%.3f %.3f-%.3f" % (statistics.median(t), min(t), max(t)))
EOF
}

# "median range" of a hyperfine JSON export, in seconds.
summary() {
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.3f %.3f-%.3f" % (r["median"], r["min"], r["max"]))' "$1"
}
peak_mb() {
    /usr/bin/time -f %M -o "$work/rss" "$exe" "$1" 2>/dev/null >/dev/null
    echo $(($(cat "$work/rss") / 1024))
}

printf '%-9s %-6s %8s %15s %8s %6s %9s %8s %6s\n' bones way median range floor x-floor keys/s rss-MB x-io
for bones in ${QLX_BENCH_SIZES:-10000 100000 1000000 5000000}; do
    m="$work/m$bones"
    [ -e "$m.qlx" ] || "$build/qlx_make_motion" "$bones" "$m.qlx"
    "$exe" "$m.qlx" >/dev/null 2>&1
    cp "$m.csv" "$m-in.csv"
    keys=$((bones + bones / 10 + bones / 50))
    for way in export import; do
        if [ $way = export ]; then in="$m.qlx"; out="$m.csv"; else in="$m-in.csv"; out="$m-in.qlx"; fi
        cat "$in" >/dev/null # the input in the page cache, as after saving it
        size_in=$(stat -c %s "$in")
        "$exe" "$in" >/dev/null 2>&1
        size_out=$(stat -c %s "$out")
        if [ -n "$before" ]; then
            { read -r median range; read -r beforeMedian beforeRange; } < <(alternate "$in" "$exe" "$before")
        else
            hyperfine -N -w 1 -r "$runs" --export-json "$work/t.json" \
                "$exe $in" >/dev/null 2>&1
            read -r median range < <(summary "$work/t.json")
        fi
        hyperfine -w 1 -r "$runs" --export-json "$work/f.json" \
            "cp $in $work/floor.in && head -c $size_out /dev/zero > $work/floor.out" >/dev/null 2>&1
        read -r floor _ < <(summary "$work/f.json")
        rss=$(peak_mb "$in")
        python3 -c 'import sys; b,w,m,r,f,k,rss,io=sys.argv[1:]; m=float(m); f=float(f)
print("%-9s %-6s %8.3f %15s %8.3f %6.1f %9.2fM %8s %6.2f" % (b,w,m,r,f,m/f,int(k)/m/1e6,rss,int(rss)*2**20/int(io)))' \
            "$bones" "$way" "$median" "$range" "$floor" "$keys" "$rss" $((size_in + size_out))
        if [ -n "$before" ]; then
            printf '%-9s %-6s %8s %15s %8s %6s  (%.1f%% of before)\n' "" before "$beforeMedian" \
                "$beforeRange" "" "" "$(python3 -c "print(100*$median/$beforeMedian)")"
        fi
    done
done

# 200 thousand bone keys each its own name: names as random, and names made for the hash an
# earlier key order used. The order is linear whatever the names, so the two medians stay close.
printf '\n%-9s %8s %15s\n' names median range
for names in distinct crafted; do
    m="$work/names-$names"
    [ -e "$m.qlx" ] || "$build/qlx_make_motion" 200000 "$m.qlx" "$names"
    hyperfine -N -w 1 -r "$runs" --export-json "$work/t.json" "$exe $m.qlx" >/dev/null 2>&1
    read -r median range < <(summary "$work/t.json")
    printf '%-9s %8s %15s\n' "$names" "$median" "$range"
done
"$build/qlx_codec_bench"
