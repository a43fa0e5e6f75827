#!/usr/bin/env bash
# Sets up, builds all five presets and runs every test: natively, with the sanitizers, and
# the Windows build under Wine on a virtual display. The optimised benchmark build is compiled
# only; tools/bench.sh runs it. Exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)

"$root/tools/setup.sh" || exit 1
"$root/tools/build.sh" native native-asan win64 win32 bench || { echo "BUILD FAILED"; exit 1; }

status=0
run_tests() {
  local preset=$1; shift
  echo
  echo "== tests: $preset"
  "$@" ctest --preset "$preset" --timeout 300 || status=1
}
run_tests native env
run_tests native-asan env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
# Windows programs need a display even when they show nothing; Xvfb gives them one.
run_tests win64 xvfb-run -a -s "-screen 0 1280x800x24"
echo
echo "== win32: compiled and linked (not run: only the 64-bit Wine is available)"
echo "== bench: compiled and linked (run by tools/bench.sh)"

echo
echo "== all builds and tests took $(( $(date +%s) - start )) s"
[ "$status" -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit "$status"
