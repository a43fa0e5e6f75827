#!/usr/bin/env bash
# Configures and builds the given presets (all four when none is given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(native native-asan win64 win32)
for preset in "${presets[@]}"; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
