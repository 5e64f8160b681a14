#!/usr/bin/env bash
# The test command: installs what is missing, builds the Linux and the Windows
# targets, and runs the unit, integration and Wine tests. Exits non-zero when
# anything fails; every label runs even after a failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/bootstrap.sh || exit 1

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}
echo "== build (Linux)" && build linux || exit 1
echo "== build (Windows i686)" && build win32 || exit 1

status=0
run_label() {
  local dir=$1 label=$2
  echo "== $label tests ($dir)"
  ctest --test-dir "$dir" -L "$label" -j "$jobs" --output-on-failure --timeout 900 || status=1
}

run_label build unit
run_label build integration

# Wine: a private prefix and a private X display, both gone at the end.
wine_home=$(mktemp -d /tmp/harvella-wine.XXXXXX)
export WINEPREFIX="$wine_home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
Xvfb "$display" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$wine_home"
}
trap cleanup EXIT
export DISPLAY="$display"
# A new prefix goes on settling after wineboot returns; until its wineserver has
# ended, a second services.exe can answer every other service-manager call.
wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; status=1; }
wineserver -w
ctest --test-dir build-win32 -L wine --output-on-failure --timeout 900 || status=1

cd "$root"
if [ $status -eq 0 ]; then echo "== all tests passed"; else echo "== some tests FAILED"; fi
exit $status
