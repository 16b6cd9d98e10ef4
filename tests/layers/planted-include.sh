#!/usr/bin/env bash
# The include check must fail on a wrong-way include: on a copy of the
# tree it passes, then with one upward include planted it fails and names
# the file, the line and the two parts.
#
#   planted-include.sh SOURCE_ROOT
set -euo pipefail
source_root=$1
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT

tar -C "$source_root" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$copy" -xf -
"$copy/scripts/check-includes.sh" "$copy" || { echo "the unchanged copy already fails"; exit 1; }

plant() {  # FILE INCLUDE EXPECTED-MESSAGE
  local file=$1 include=$2 expected=$3
  cp "$copy/$file" "$copy/$file.orig"
  printf '#include "%s"\n' "$include" >>"$copy/$file"
  local line; line=$(wc -l <"$copy/$file")
  set +e
  out=$("$copy/scripts/check-includes.sh" "$copy" 2>&1)
  rc=$?
  set -e
  mv "$copy/$file.orig" "$copy/$file"
  if [ "$rc" -ne 1 ]; then
    echo "planted $include in $file: check exited $rc, not 1"; echo "$out"; exit 1
  fi
  if ! grep -qF "$file:$line: $expected" <<<"$out"; then
    echo "planted $include in $file: expected \"$file:$line: $expected\" in:"; echo "$out"; exit 1
  fi
  echo "refused as expected: $file:$line: $expected"
}

# Upwards between layers, and into the application from below.
plant decimal/ClFixDec.cpp report/ClXmlWriter.h "decimal must not include report"
plant ui/RememberedPath.cpp app/LinkApp.h "ui must not include app"
# An internal header outside its library, a test helper in the product.
plant deprec/MakeSchedule.cpp platform/Store.h "deprec must not include platform_store"
plant report/ClReportWriter.cpp tests/support/TestSupport.h "report must not include tests"
# Beside the including file: ui/ProgressDlg.cpp reaching its own folder's
# conditions dialog climbs from the progress dialog into the dialogs.
plant ui/ProgressDlg.cpp ConditionsDlg.h "progress must not include ui"
