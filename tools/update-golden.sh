#!/usr/bin/env bash
# Draws the reference pictures again (tests/*/golden), after an intended change of the look.
# Review them (git diff shows which changed) before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target ui_tests homeplugin_tests homehost_tests program_tests
QUELT_UPDATE_GOLDEN=1 ./build/tests/ui/ui_tests --gtest_filter='*GoldenTest.*'
QUELT_UPDATE_GOLDEN=1 ./build/tests/homeplugin/homeplugin_tests --gtest_filter='TileRowTest.RowsMatchTheirPictures'
QUELT_UPDATE_GOLDEN=1 ./build/tests/homehost/homehost_tests --gtest_filter='*ShippedScheme*'
QUELT_UPDATE_GOLDEN=1 ./build/tests/program/program_tests --gtest_filter='HomeRowTest.*'
git status --short tests/*/golden
