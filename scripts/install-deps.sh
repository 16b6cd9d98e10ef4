#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the sample run need,
# asking apt only when one of them is missing.
set -euo pipefail

packages=(
  build-essential cmake
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev fonts-ipafont-gothic
  xvfb xauth
  libxml2-utils
  afl++ libxml2-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
else
  echo "all build and test packages are installed"
fi
