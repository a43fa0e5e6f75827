#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them all (or those named): tools/bench.sh [NAME...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
cmake --preset bench >/dev/null
cmake --build --preset bench
cd "$root/build/bench/bench"
names=("$@")
# The folder is also CMake's build folder for bench/: only the executables in it are benchmarks.
if [ "${#names[@]}" -eq 0 ]; then
  for f in *; do [ -f "$f" ] && [ -x "$f" ] && names+=("$f"); done
fi
for b in "${names[@]}"; do
  echo "== $b"
  "./$b"
done
