#!/usr/bin/env bash
# Runs clang-tidy (rules in .clang-tidy) over the program's sources and
# bokctl, with the compile database of the lint preset: the build's own
# commands less -fexec-charset=CP932, which clang refuses (its literals are
# UTF-8 only; the lint build is never run).  Prints each finding once, with
# source-tree paths, and a count per rule; exits 1 when there is any.
#
#   scripts/lint.sh [FILE...]     default: every .cpp of the program
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-tidy >/dev/null || {
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y clang-tidy
}

cmake --preset lint >/dev/null
build=build/lint

if (($#)); then
  files=("$@")
else
  mapfile -t files < <(git ls-files 'app/*.cpp' 'ui/*.cpp' 'report/*.cpp' 'deprec/*.cpp' 'decimal/*.cpp' \
    'uty/*.cpp' 'platform/*.cpp' 'compat/*.cpp' 'edition/*.cpp' 'tools/*.cpp')
fi

log=$build/clang-tidy.log
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option \
    >"$log" 2>/dev/null || true

# A header is reached through the build tree's header folders: name it by
# its place in the source tree, and report it once however often included.
root=$PWD
# The static_asserts on the byte length of Japanese literals hold in code
# page 932 only, not in this database's UTF-8.  A function over the size
# limit is reported with the limits it passes.
findings=$(grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error|note): ' "$log" |
  grep -v "static_assert failed due to requirement 'sizeof" |
  awk '/: (warning|error): /{ print; keep = /readability-function-size/; next }
       keep && /: note: .*\(threshold [0-9]+\)$/ { print; next } { keep = 0 }' |
  sed -E "s#^$root/$build/include/(public|private)/[^/]+/##; s#^$root/##" | LC_ALL=C sort -u || true)
if [ -z "$findings" ]; then
  echo "clang-tidy: nothing found in ${#files[@]} files"
  exit 0
fi
echo "$findings"
echo
echo "clang-tidy: $(grep -c ': \(warning\|error\): ' <<<"$findings") findings in ${#files[@]} files:"
grep -oE '\[[a-z-]+(,[a-z.-]+)*\]$' <<<"$findings" | sort | uniq -c | sort -rn
exit 1
