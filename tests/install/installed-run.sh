#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the sample there as a
# user would: bokctl init --sample, then bokctl run with the conditions
# dialog answered on the terminal.  Passes when the host is told "done"
# (lParam=0) and the report is a well-formed file with the sample's assets.
#
#   installed-run.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for file in bokctl DeprLinkStd DeprLinkPro BortaDef.ini sample-assets.txt; do
  [ -e "$prefix/bin/$file" ] || { echo "not installed: bin/$file"; exit 1; }
done

export BOK_HOME=$work/home
"$prefix/bin/bokctl" init --sample >/dev/null
set +e
# The installed programs are started from another folder than the build's,
# so nothing of the build tree can be what they find.
out=$(cd "$work" && printf '3\nC:\\Mildan\\Data\\installed.xml\nF12\n' |
  env -u DISPLAY DEPRLINK_FRONTEND=terminal "$prefix/bin/bokctl" run 2>&1)
rc=$?
set -e
report=$BOK_HOME/drive_c/Mildan/Data/installed.xml
if [ "$rc" -ne 0 ] || ! grep -q 'posted: message=32769 wParam=3 lParam=0' <<<"$out"; then
  echo "bokctl run exited $rc:"; echo "$out"; exit 1
fi
[ -s "$report" ] || { echo "no report at $report"; echo "$out"; exit 1; }
# xmllint reads a Shift_JIS declaration with a strict table: re-declare CP932.
sed 's/encoding="Shift_JIS"/encoding="CP932"/' "$report" | xmllint --noout -
assets=$(grep -c '<SISAN ' "$report")
[ "$assets" -gt 0 ] || { echo "the report has no SISAN element"; exit 1; }
echo "installed run wrote $report: $assets assets, $(wc -c <"$report") bytes"
