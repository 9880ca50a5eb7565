#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for
# SECONDS (default 60), one after the other, at the lowest priority.
#   tools/fuzz.sh [SECONDS] [TARGET...]     e.g. tools/fuzz.sh 600 legend range
# Each target starts from the seeds in fuzz/corpus and keeps what it learns in
# build/fuzz/corpus/TARGET; a crashing input is left in build/fuzz/findings
# (copy it into fuzz/corpus once fixed, so that the tests replay it).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash tools/setup.sh
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_FUZZ=ON \
  -DLUMORA_BUILD_GUI=OFF -DLUMORA_BUILD_TESTS=OFF -DLUMORA_SAMPLES=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^set(LUMORA_FUZZERS \(.*\))$/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build build/fuzz --parallel 2 --target "${targets[@]/%/_fuzzer}"
mkdir -p build/fuzz/findings
status=0
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  mkdir -p "$corpus"
  echo "== $t: ${seconds} s"
  nice -n 19 "build/fuzz/bin/${t}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/findings/${t}-" "$corpus" fuzz/corpus \
    2>"build/fuzz/$t.log" || { status=1; echo "   finding: see build/fuzz/$t.log"; }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^#[0-9]+ *DONE' "build/fuzz/$t.log" || true
done
exit $status
