#!/usr/bin/env bash
# Draws the reference pictures of tests/ui/golden again, after an intended change of the look.
# Review them (git diff shows which changed) before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target ui_tests
QUELT_UPDATE_GOLDEN=1 ./build/tests/ui/ui_tests --gtest_filter='*GoldenTest.*'
git status --short tests/ui/golden
