#!/usr/bin/env bash
# Installs every Debian package that the builds and the tests need. Safe to run
# again: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64 fonts-wine xvfb xauth
  mariadb-server mariadb-client
  openjdk-17-jdk-headless libmariadb-java
  sqlite3 libsqlite3-dev
  zip unzip
  nsis curl optipng
  fonts-liberation2
  clang libclang-rt-dev ccache
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

# The npm client fetches the SQLite amalgamation for the Windows test fixtures;
# a machine whose Node.js already brings npm needs nothing more.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails the update for a minute or two: try again,
# and in the end install from whatever indexes came through.
for attempt in 1 2 3 4; do
  "${sudo_cmd[@]}" apt-get update -q && break
  echo "bootstrap: package index update failed (attempt $attempt)"
  [ "$attempt" -lt 4 ] && sleep 30
done
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
