#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one: tools/fuzz.sh NAME [SECONDS]
# (NAME as in tests/fuzz, for example xml). New inputs that raise coverage are added to the
# target's corpus in tests/fuzz/corpus/NAME; commit the ones worth keeping.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: tools/fuzz.sh NAME [SECONDS]}
seconds=${2:-60}
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_FUZZ=ON >/dev/null
cmake --build "$root/build/fuzz" --target "${name}_fuzzer"
mkdir -p "$root/build/fuzz/new-$name"
"$root/build/fuzz/bin/${name}_fuzzer" -max_total_time="$seconds" \
  "$root/build/fuzz/new-$name" "$root/tests/fuzz/corpus/$name"
