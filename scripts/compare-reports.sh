#!/usr/bin/env bash
# The Windows programs' report against the Linux programs', byte for byte:
# the sample company, and a generated company of 10,000 assets loaded with
# bokctl import; each time DeprLinkStd is started by hand (no command line)
# on the terminal front end and answers category 3, an output file, F12.
# Runs under the Wine prefix and server of scripts/test-windows.sh, after
# both builds.
set -euo pipefail
cd "$(dirname "$0")/.."

linux=build/default
windows=build/windows
work=$PWD/$windows/report-check
rm -rf "$work"
mkdir -p "$work"
scripts/make-company.sh 10000 >"$work/company-10000.txt"

# One check: name, then the company file to import over the sample (or "").
check() {
  local name=$1 company=$2
  local answers="3\nC:\\\\Mildan\\\\Data\\\\check-$name.xml\nF12\n"

  local lhome=$work/linux-$name
  "$linux/tools/bokctl/bokctl" --home "$lhome" init --sample >/dev/null
  [ -z "$company" ] || "$linux/tools/bokctl/bokctl" --home "$lhome" import "$company" >/dev/null
  printf "$answers" | DEPRLINK_FRONTEND=terminal BOK_HOME=$lhome "$linux/app/DeprLinkStd" >"$work/linux-$name.log" 2>&1
  local lreport=$lhome/drive_c/Mildan/Data/check-$name.xml

  # The Windows programs see the home through Wine's Z: drive; the sample's
  # application folders are the prefix's own C:\Mildan.
  local whome
  whome=$(winepath -w "$work/windows-$name")
  local wreport=$WINEPREFIX/drive_c/Mildan/Data/check-$name.xml
  rm -f "$wreport"
  BOK_HOME=$whome wine "$windows/tools/bokctl/bokctl.exe" init --sample >/dev/null
  [ -z "$company" ] || BOK_HOME=$whome wine "$windows/tools/bokctl/bokctl.exe" import "$(winepath -w "$company")" >/dev/null
  printf "$answers" | DEPRLINK_FRONTEND=terminal BOK_HOME=$whome wine "$windows/app/DeprLinkStd.exe" \
    >"$work/windows-$name.log" 2>&1

  if cmp "$lreport" "$wreport"; then
    echo "$name: the reports are byte-identical ($(grep -c '<SISAN ' "$lreport") assets, $(wc -c <"$lreport") bytes)"
  else
    echo "$name: the Windows report differs from the Linux one" >&2
    return 1
  fi
}

check sample ""
check company-10000 "$work/company-10000.txt"
