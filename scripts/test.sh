#!/usr/bin/env bash
# Builds everything twice (the default build and the address/undefined
# sanitizer build) and runs every test of both, the window tests under a
# virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/test-builds.sh

scripts/install-deps.sh

for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  "${xvfb[@]}" ctest --preset "$preset" -j "$jobs"
done
