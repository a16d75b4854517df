#!/usr/bin/env bash
# Builds everything and runs every test suite. Used by CI and by developers alike.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

echo "== Release build and unit tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
# The executable tests sleep five seconds each, so run more tests than there are cores.
ctest --test-dir build -j"$((jobs * 2))" --output-on-failure
