#!/usr/bin/env bash
# Runs clang-tidy (rules in .clang-tidy) over the program's sources and
# bokctl, with the compile database of the lint preset: the build's own
# commands less -fexec-charset=CP932, which clang refuses (its literals are
# UTF-8 only; the lint build is never run).  Prints each finding once, with
# source-tree paths, and a count per rule.  The findings accepted, each
# with its reason, are the "accept:" lines of .clang-tidy's notes; exits 1
# on any other finding, and on an accepted one that is no longer found.
#
#   scripts/lint.sh [FILE...]     default: every .cpp of the program but
#                                 the Windows backend (*_win32.cpp), which
#                                 only the windows preset compiles
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
    'uty/*.cpp' 'platform/*.cpp' 'compat/*.cpp' 'edition/*.cpp' 'tools/*.cpp' ':!:*_win32.cpp')
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

# A finding is named by its file, message and rule, not its line, so that
# an edit elsewhere in the file leaves it named the same.
key() { sed -E 's/^([^:]+):[0-9]+:[0-9]+: (warning|error): /\1: /'; }
warnings=$(grep -E ': (warning|error): ' <<<"$findings" || true)
accepted=$(sed -nE 's/^#[[:space:]]+accept: (.*) -- .*$/\1/p' .clang-tidy | LC_ALL=C sort -u)
# An accepted finding can be missed only in a run over every file.
expected=""
(($#)) || expected=$accepted
new=$(key <<<"$warnings" | LC_ALL=C sort -u | LC_ALL=C comm -23 - <(echo "$accepted") | sed '/^$/d')
gone=$(key <<<"$warnings" | LC_ALL=C sort -u | LC_ALL=C comm -13 - <(echo "$expected") | sed '/^$/d')
[ -z "$warnings" ] || { echo "$findings"; echo; }
echo "clang-tidy: $(grep -c . <<<"$warnings" || true) findings in ${#files[@]} files ($(grep -c . <<<"$accepted" || true) accepted in .clang-tidy)"
[ -z "$warnings" ] || grep -oE '\[[a-z-]+(,[a-z.-]+)*\]$' <<<"$warnings" | sort | uniq -c | sort -rn
status=0
if [ -n "$new" ]; then
  echo
  echo "not accepted (fix it, or add an \"accept:\" line with its reason to .clang-tidy and the README):"
  echo "$new"
  status=1
fi
if [ -n "$gone" ]; then
  echo
  echo "accepted in .clang-tidy but no longer found (take the line out there and in the README):"
  echo "$gone"
  status=1
fi
exit $status
