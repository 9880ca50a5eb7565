#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   tools/test.sh            release build
#   tools/test.sh --sanitize the same tests under AddressSanitizer + UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
preset=release
[ "${1:-}" = "--sanitize" ] && preset=asan
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "build/$preset" --output-on-failure --parallel "$(nproc)"
