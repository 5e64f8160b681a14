#!/usr/bin/env bash
# The main job, shown on Linux: an installation folder whose MySQL client is
# Debian's real one, asked by the utility for its version as the installer does.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/bin/Quimbo ] || { cmake --preset linux >/dev/null && cmake --build --preset linux --target Quimbo; }

install=$(mktemp -d /tmp/harvella-demo.XXXXXX)
trap 'rm -rf "$install"' EXIT
mkdir -p "$install/MySQL/bin"
printf '#!/bin/sh\nexec mariadb "$@"\n' > "$install/MySQL/bin/mysql"
chmod +x "$install/MySQL/bin/mysql"

echo "\$ Quimbo \"6|$install\"   # MySQL version check"
set +e
output=$(build/bin/Quimbo "6|$install")
code=$?
set -e
echo "exit code $code (0: 5.0.0 or newer, 1: older, 2: no usable client)${output:+, output: $output}"
