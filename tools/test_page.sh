#!/usr/bin/env bash
# The page leg: the WebAssembly core under Node.js against the native converter (every corpus
# input and generated motions, both ways), then the page in headless Chromium from file:// with
# the network cut. Expects the Linux build in build/. The screenshot of the page after its
# conversions stays in build-page/page.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build_page.sh
node tests/web/core_test.mjs build-page/qlx_page.wasm build/QLXConverter build/qlx_make_motion
source tools/require.sh
if ! (require chromium fonts-ipafont-gothic) || ! command -v chromium >/dev/null; then
  echo "skipped the page in Chromium: Debian's chromium cannot be installed here"
  exit 77
fi
(cd tests/web && npm ci --no-audit --no-fund --silent)
node tests/web/page_test.mjs build-page/QLXConverter.html build/QLXConverter \
  build/qlx_make_motion build-page/page.png
