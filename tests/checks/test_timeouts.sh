#!/usr/bin/env bash
# Every CTest test of the build folder has a timeout below CTest's default.
build=${1:?build folder}
tests=$(ctest --test-dir "$build" -N | grep -c 'Test *#') || exit 1
timeouts=$(ctest --test-dir "$build" --show-only=json-v1 | grep -A1 '"name" : "TIMEOUT"' |
  grep -o '"value" : [0-9.]*' | awk '$3 > 0 && $3 < 1500' | wc -l)
if [ "$tests" -eq 0 ] || [ "$tests" -ne "$timeouts" ]; then
  echo "$tests tests, $timeouts with a timeout below 1500 s"
  exit 1
fi
echo "$tests tests, each with a timeout"
