#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and ASan/UBSan, and runs each for a while:
#   tools/fuzz.sh [seconds-per-target] [target-name...]
# Corpora grow in build-fuzz/corpus/<name>, seeded from tests/fuzz/seeds/<name>; crashes land in
# build-fuzz/crashes/.
set -euo pipefail
seconds=${1:-60}
shift || true
cd "$(dirname "$0")/.."
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELT_FUZZ=ON -DQUELT_SANITIZE=address -DQUELT_BUILD_TESTS=ON -DQUELT_BUILD_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in tests/fuzz/seeds/*/; do targets+=("$(basename "$seeds")"); done
fi
for name in "${targets[@]}"; do
  cmake --build build-fuzz --target "fuzz_$name"
  mkdir -p "build-fuzz/corpus/$name" build-fuzz/crashes
  echo "== fuzz_$name for ${seconds}s"
  "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -artifact_prefix=build-fuzz/crashes/ \
    "build-fuzz/corpus/$name" "tests/fuzz/seeds/$name"
done
