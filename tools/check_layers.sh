#!/usr/bin/env bash
# Checks that each folder includes only folders below it (platform, text, io, motion, csv,
# convert, app, bottom to top; csv also knows nothing of motions) and that only the platform layer
# branches on the operating system. Prints each offending line; exits non-zero if there is one.
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."
layers=(platform text io motion csv convert app)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[$i]}
  allowed=("${layers[@]:0:$((i + 1))}")
  [ "$folder" = csv ] && allowed=(platform text io csv)
  while IFS= read -r line; do
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"${line#*:}")
    if [[ ! " ${allowed[*]} " =~ " $included " ]]; then
      echo "layer breach: $line"
      status=1
    fi
  done < <(grep -Hn '#include "' "$folder"/*.h "$folder"/*.cpp /dev/null)
done
if grep -rnE '_WIN32|__wasi__|__wasm' --include='*.h' --include='*.cpp' . | grep -v '^./platform/' |
  grep -v '^./build'; then
  echo "operating-system branch outside platform/"
  status=1
fi
[ "$status" -eq 0 ] && echo "layers: every include looks down; _WIN32 and WebAssembly only in platform/"
exit "$status"
