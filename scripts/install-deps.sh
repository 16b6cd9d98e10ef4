#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the sample run need,
# asking apt only when one of them is missing.
set -euo pipefail

packages=(
  build-essential cmake
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev fonts-ipafont-gothic wx3.2-i18n adwaita-icon-theme
  locales
  xvfb xauth libx11-dev
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

# The window tests also run as the users do, under LANG=ja_JP.UTF-8; the
# locale is made once.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "making the ja_JP.UTF-8 locale"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
