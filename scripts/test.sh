#!/usr/bin/env bash
# Checks the layering of the includes, then builds everything twice (the
# default build and the address/undefined sanitizer build) and runs every
# test of both, the window tests under a virtual display; among them the
# installed programs' run (tests/install) and the include check's own test.
# Then it fuzzes each fuzz target for a bounded time (scripts/fuzz.sh), and
# last comes the Windows stage (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/test-builds.sh

scripts/install-deps.sh

echo "== includes against scripts/layers.txt"
scripts/check-includes.sh

for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  "${xvfb[@]}" ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz: every target for ${FUZZ_SECONDS:-20} s"
scripts/fuzz.sh

echo "== windows: MinGW-w64 build, tests under Wine"
scripts/test-windows.sh
