#!/usr/bin/env bash
# Builds the tests with a sanitizer and runs them: tools/sanitize.sh thread|address
set -euo pipefail
kind=${1:?usage: tools/sanitize.sh thread|address}
cd "$(dirname "$0")/.."
cmake -S . -B "build-$kind" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELT_SANITIZE="$kind" -DQUELT_BUILD_BENCH=OFF
cmake --build "build-$kind"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "build-$kind" --output-on-failure -j2
