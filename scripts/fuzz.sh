#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: g++ with its own coverage, linked
# with AFL++'s runtime, see fuzz/AflRuntime.cpp) and runs each under
# afl-fuzz, persistent, for a bounded time.  Fails when a target cannot
# start, or when afl-fuzz saved a crash (an invariant broken, a read past a
# guarded buffer) or a hang.
#
# FUZZ_SECONDS sets the time per target (default 20: six targets stay
# within two and a half minutes, beside the two builds and their tests in the
# ten-minute budget of scripts/test.sh).  Findings stay in
# build/fuzz/findings/<target>/default/{crashes,hangs}; replay one with
#   build/fuzz/fuzz/fuzz_<target> < FILE
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
targets=(import output_path fixdec xml_escape report remembered_path)

echo "== fuzz: configure and build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# No terminal in CI; the machine's crash handler and CPU governor are not
# ours to change, and other processes share the cores.
export AFL_NO_UI=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_AFFINITY=1
# The targets number their edges below 2^16; a map of that size (not the
# 8 MiB afl-fuzz assumes for a target that does not say) is cleared and
# compared far faster.  Calibrate each new path briefly: the runs are short.
export AFL_MAP_SIZE=65536 AFL_FAST_CAL=1

# The targets' platform homes: in memory when the machine has /dev/shm.
scratch=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )/deprlink-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

failed=0
printf '%-16s %10s %10s %8s %8s %8s %8s %8s\n' target execs execs/s edges map paths crashes hangs
for target in "${targets[@]}"; do
  out=build/fuzz/findings/$target
  rm -rf "$out"
  mkdir -p "$out"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-x "fuzz/$target.dict")
  # A generous time-out: a case counts as a hang only when it is stuck,
  # not when the shared machine is slow.
  if ! FUZZ_HOME="$scratch/$target" afl-fuzz -V "$seconds" -t 5000 -m none "${dict[@]}" \
      -i "fuzz/corpus/$target" -o "$out" -- "build/fuzz/fuzz/fuzz_$target" >"$out/afl.log" 2>&1; then
    echo "fuzz_$target: afl-fuzz failed:"
    tail -n 20 "$out/afl.log"
    failed=1
    continue
  fi
  stats=$out/default/fuzzer_stats
  field() { awk -v key="$1" '$1 == key { print $3 }' "$stats"; }
  crashes=$(field saved_crashes)
  hangs=$(field saved_hangs)
  printf '%-16s %10s %10s %8s %8s %8s %8s %8s\n' "$target" "$(field execs_done)" "$(field execs_per_sec)" \
    "$(field edges_found)" "$(field bitmap_cvg)" "$(field corpus_count)" "$crashes" "$hangs"
  if [ "${crashes:-1}" != 0 ] || [ "${hangs:-1}" != 0 ]; then
    echo "fuzz_$target: findings in $out/default/crashes and $out/default/hangs:"
    ls "$out/default/crashes" "$out/default/hangs" 2>/dev/null || true
    failed=1
  fi
done
exit $failed
