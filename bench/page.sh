#!/usr/bin/env bash
# The page's benchmark: a motion of a million bone keys converted both ways by the page in headless
# Chromium and by the native converter as a whole process (see bench/page.mjs).
#   bash bench/page.sh            five runs each way
#   QLX_BENCH_RUNS=3 bash bench/page.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/require.sh
require cmake make g++ chromium
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQLX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target QLXConverter qlx_make_motion >/dev/null
bash tools/build_page.sh >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --silent)
mkdir -p build-bench/motions
motion=build-bench/motions/page-1000000.qlx
[ -f "$motion" ] || build-bench/qlx_make_motion 1000000 "$motion"
QLXCONVERTER_NO_PAUSE=1 build-bench/QLXConverter "$motion" 2>/dev/null
node bench/page.mjs build-page/QLXConverter.html build-bench/QLXConverter "$motion" \
  "${QLX_BENCH_RUNS:-5}"
