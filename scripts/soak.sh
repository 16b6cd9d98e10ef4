#!/usr/bin/env bash
# Runs the tests over and over, to show that they pass every time and not
# just once:
#
#   scripts/soak.sh N [PATTERN]
#
# Each of the N runs runs every test, or those whose ctest names match the
# regular expression PATTERN, in every build that scripts/test.sh runs, the
# way it runs them.  The builds are brought up to date first (a build that
# is up to date is not rebuilt).  Prints one line per run and then
# "N passed, M failed"; the output of a failed run stays in build/soak/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/test-builds.sh

if [[ $# -lt 1 || $# -gt 2 || ! $1 =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/soak.sh N [PATTERN]" >&2
  exit 2
fi
runs=$1
# A pattern that matches nothing must not pass as a clean run.
select=(--no-tests=error)
if [[ $# -eq 2 ]]; then select+=(-R "$2"); fi

logs=build/soak
mkdir -p "$logs"

for preset in "${presets[@]}"; do
  log=$logs/build-$preset.log
  if [[ ! -f build/$preset/CMakeCache.txt ]]; then
    cmake --preset "$preset" >"$log" 2>&1 || { cat "$log"; exit 1; }
  fi
  cmake --build --preset "$preset" -j "$jobs" >"$log" 2>&1 || { cat "$log"; exit 1; }
done

now_ms() { echo $(($(date +%s%N) / 1000000)); }
seconds() { printf '%d.%d s' $(($1 / 1000)) $(($1 % 1000 / 100)); }

passed=0
failed=0
for ((run = 1; run <= runs; run++)); do
  started=$(now_ms)
  verdict=passed
  parts=()
  for preset in "${presets[@]}"; do
    log=$logs/run$run-$preset.log
    t0=$(now_ms)
    if "${xvfb[@]}" ctest --preset "$preset" -j "$jobs" "${select[@]}" >"$log" 2>&1; then
      status=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1 tests/p' "$log")
      rm -f "$log"
    else
      verdict=FAILED
      names=$(sed -n '/The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' "$log" | paste -sd ' ' -)
      if [[ -z $names ]] && grep -q 'No tests were found' "$log"; then names="(no test matches)"; fi
      status="FAILED ${names:-(no test result)}, see $log"
    fi
    parts+=("$preset: ${status:-?} in $(seconds $(($(now_ms) - t0)))")
  done
  if [[ $verdict == passed ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  line="run $run/$runs $verdict in $(seconds $(($(now_ms) - started)))"
  for part in "${parts[@]}"; do line+="; $part"; done
  echo "$line"
done

echo "$passed passed, $failed failed"
((failed == 0))
