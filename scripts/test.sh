#!/usr/bin/env bash
# Builds everything twice (the default build and the address/undefined
# sanitizer build) and runs every test of both, the window tests under a
# virtual display; then the Windows stage (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

for preset in default asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  "${xvfb[@]}" ctest --preset "$preset" -j "$jobs"
done

scripts/test-windows.sh
