#!/usr/bin/env bash
# Reads every #include of the source tree and fails on an include from one
# part to another that scripts/layers.txt does not allow (a header included
# upwards, an internal header used outside its library, a product file
# including a test helper).  The build enforces most of this through the
# libraries' include paths; this check also covers what a library may reach
# but must not use, and the parts that share a folder.
#
#   scripts/check-includes.sh [--graph] [ROOT]
#
# ROOT defaults to the tree this script is in; its scripts/layers.txt is the
# rule.  --graph prints the includes between parts (with their counts)
# instead of checking them.
set -euo pipefail

mode=check
if [ "${1:-}" = "--graph" ]; then
  mode=graph
  shift
fi
root=${1:-"$(dirname "$0")/.."}
cd "$root"
rules=scripts/layers.txt
[ -r "$rules" ] || { echo "check-includes: no $rules in $root" >&2; exit 2; }

# The sources: every C and C++ file outside hidden folders and build trees
# (a folder with a CMakeCache.txt, wherever it was made).
find . -path '*/.*' -prune -o -type f \
  \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name CMakeCache.txt \) -print |
  sed 's|^\./||' | LC_ALL=C sort |
  awk '/(^|\/)CMakeCache\.txt$/ { builds[++n] = substr($0, 1, length($0) - length("CMakeCache.txt")); next }
       { files[++m] = $0 }
       END { for (i = 1; i <= m; ++i) { keep = 1
               for (j = 1; j <= n; ++j) if (builds[j] != "" && index(files[i], builds[j]) == 1) keep = 0
               if (keep) print files[i] } }' >"${TMPDIR:-/tmp}/check-includes.$$.files"
trap 'rm -f "${TMPDIR:-/tmp}/check-includes.$$.files"' EXIT

# One line per include: file, line number, include text.
while IFS= read -r file; do
  { grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' "$file" || true; } |
    sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<][^">]+[">]).*/\1\t\2/' |
    sed "s|^|$file\t|"
done <"${TMPDIR:-/tmp}/check-includes.$$.files" |
awk -F'\t' -v mode="$mode" -v rules="$rules" -v files="${TMPDIR:-/tmp}/check-includes.$$.files" '
function partOf(path,    best, len, i) {
    best = ""; len = 0
    for (i = 1; i <= nPaths; ++i) {
        p = paths[i]
        if ((p ~ /\/$/ ? substr(path, 1, length(p)) == p : path == p) && length(p) > len) {
            best = pathPart[i]; len = length(p)
        }
    }
    return best
}
function dirOf(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/)) : "" }
# "a/b/../c.h" -> "a/c.h"
function normal(path,    n, parts, out, i, k) {
    n = split(path, parts, "/"); k = 0
    for (i = 1; i <= n; ++i) {
        if (parts[i] == "." || parts[i] == "") continue
        if (parts[i] == ".." && k > 0) { --k; continue }
        out[++k] = parts[i]
    }
    path = ""
    for (i = 1; i <= k; ++i) path = path (i > 1 ? "/" : "") out[i]
    return path
}
BEGIN {
    section = ""
    while ((getline line < rules) > 0) {
        sub(/#.*/, "", line)
        if (line ~ /^[[:space:]]*$/) continue
        if (line ~ /^\[/) { section = line; continue }
        n = split(line, f, /[[:space:]]+/)
        start = f[1] == "" ? 2 : 1
        name = f[start]
        if (section == "[parts]") {
            for (i = start + 1; i <= n; ++i) if (f[i] != "") { paths[++nPaths] = f[i]; pathPart[nPaths] = name }
            known[name] = 1
        } else if (section == "[allowed]") {
            if (!(name in known)) { print rules ": unknown part " name > "/dev/stderr"; bad = 2 }
            for (i = start + 1; i <= n; ++i) if (f[i] != "") {
                if (f[i] != "*" && !(f[i] in known)) { print rules ": unknown part " f[i] > "/dev/stderr"; bad = 2 }
                allowed[name, f[i]] = 1
            }
            ruled[name] = 1
        }
    }
    for (name in known) if (!(name in ruled)) { print rules ": part " name " has no [allowed] line" > "/dev/stderr"; bad = 2 }
    while ((getline line < files) > 0) {
        exists[line] = 1
        if (partOf(line) == "") { print line ": in no part of " rules > "/dev/stderr"; bad = 2 }
    }
}
{
    file = $1; lineNo = $2; text = $3
    quoted = substr(text, 1, 1) == "\""
    name = substr(text, 2, length(text) - 2)
    # As the preprocessor looks: beside the including file first (quoted
    # includes only), then from the root.
    target = ""
    if (quoted && (normal(dirOf(file) name) in exists)) target = normal(dirOf(file) name)
    else if (normal(name) in exists) target = normal(name)
    else if (quoted) {
        print file ":" lineNo ": cannot find " text > "/dev/stderr"; bad = 2; next
    } else next   # a system header
    from = partOf(file); to = partOf(target)
    if (from == to) next
    edges[from " -> " to]++
    if (!((from, to) in allowed) && !((from, "*") in allowed)) {
        print file ":" lineNo ": " from " must not include " to ": " text
        wrong++
    }
}
END {
    if (mode == "graph") {
        for (e in edges) print e " (" edges[e] ")" | "LC_ALL=C sort"
        close("LC_ALL=C sort")
        exit bad
    }
    if (wrong) print wrong " include(s) against " rules > "/dev/stderr"
    exit wrong ? 1 : bad
}'
