#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them all (or those named): tools/bench.sh [NAME...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
cmake --preset bench >/dev/null
cmake --build --preset bench
cd "$root/build/bench/bench"
names=("$@")
[ "${#names[@]}" -gt 0 ] || names=(*)
for b in "${names[@]}"; do
  echo "== $b"
  "./$b"
done
