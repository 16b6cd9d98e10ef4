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
  xvfb xauth libx11-dev xdotool x11-apps
  libxml2-utils
  afl++ libxml2-dev
  g++-mingw-w64-x86-64-posix wine wine64 googletest
  xdotool x11-apps netpbm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# npm fetches the SQLite amalgamation below; a Node.js that carries its
# own npm is as good as Debian's package.
command -v npm >/dev/null || missing+=(npm)

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

# Debian has no SQLite for Windows: the Windows build compiles the
# amalgamation that the npm package better-sqlite3 carries, pinned and
# checked, into a folder git ignores.
sqlite_package=better-sqlite3@12.11.1
sqlite_dir="$(cd "$(dirname "$0")/.." && pwd)/.deps/sqlite-3.53.2"
sqlite_sums="60d2f39a3726cd6b9021da6f4e868608d66fbb6528a9f513dc8ffcc640493422  sqlite3.c
9e69a1353a4288450b0d5239ede11fc7f1f4c8e5eb07491fc8317eacb5b7de7e  sqlite3.h"
if ! (cd "$sqlite_dir" 2>/dev/null && sha256sum --quiet -c - <<<"$sqlite_sums" >/dev/null 2>&1); then
  echo "fetching the SQLite amalgamation of $sqlite_package"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && npm pack --silent "$sqlite_package" >/dev/null &&
    tar xzf better-sqlite3-*.tgz package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
  (cd "$work/package/deps/sqlite3" && sha256sum --quiet -c - <<<"$sqlite_sums")
  mkdir -p "$sqlite_dir"
  cp "$work/package/deps/sqlite3/sqlite3.c" "$work/package/deps/sqlite3/sqlite3.h" "$sqlite_dir/"
  rm -rf "$work"
  trap - EXIT
fi
