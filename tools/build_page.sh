#!/usr/bin/env bash
# Builds the page: the converter's core for WebAssembly (clang-22 for wasm32-wasip1, with the
# WASI C library and libc++ from Debian's packages), then one self-contained HTML file that holds
# it, build-page/QLXConverter.html, which opens from the disk or any static host.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/require.sh
require cmake make clang-22 lld-22 libc++-22-dev-wasm32 libc++abi-22-dev-wasm32 \
  libclang-rt-22-dev-wasm32 wasi-libc nodejs
cmake -S . -B build-page -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build build-page -j"$(nproc 2>/dev/null || echo 2)"
node web/build.mjs build-page/qlx_page.wasm build-page/QLXConverter.html
echo "the page: build-page/QLXConverter.html"
