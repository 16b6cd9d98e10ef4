#!/usr/bin/env bash
# The main job end to end on the bundled sample data, without a display:
# builds the programs, makes a platform home with the sample company, starts
# DeprLinkStd as the accounting product would, answers its conditions dialog
# on the terminal, and shows the report it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== build"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target DeprLinkStd DeprLinkPro bokctl

build=build/default
home=$PWD/$build/sample-home
rm -rf "$home"
bokctl=$build/tools/bokctl/bokctl

echo "== platform home with the sample company: $home"
"$bokctl" --home "$home" init --sample
"$bokctl" --home "$home" show

echo "== run: category 3 (both), output C:\\Mildan\\Data\\sample.xml, F12"
set +e
printf '3\nC:\\Mildan\\Data\\sample.xml\nF12\n' |
  DEPRLINK_FRONTEND=terminal "$bokctl" --home "$home" run
result=$?
set -e
echo "== result code posted to the host: $result"

report="$home/drive_c/Mildan/Data/sample.xml"
echo "== the report ($report), shown in UTF-8"
iconv -f CP932 -t UTF-8 "$report" | head -n 60
echo "..."
echo "($(grep -c '<SISAN ' "$report") assets, $(wc -c <"$report") bytes)"
sed 's/encoding="Shift_JIS"/encoding="CP932"/' "$report" | xmllint --noout - && echo "xmllint: well-formed"
exit "$result"
