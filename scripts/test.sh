#!/usr/bin/env bash
# The test command: installs what is missing, builds the Linux and the Windows
# targets and the Linux sanitizer tree, and runs the unit, integration and Wine
# tests, the unit and integration tests again under ASan and UBSan, and each
# fuzz target for a few seconds. Exits non-zero when anything fails; every
# label runs even after a failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/bootstrap.sh || exit 1
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}
echo "== build (Linux)" && build linux || exit 1
echo "== build (Windows i686)" && build win32 || exit 1
echo "== build (Linux, ASan and UBSan, fuzz targets)" && build linux-asan || exit 1

status=0
run_label() {
  local dir=$1 label=$2
  echo "== $label tests ($dir)"
  ctest --test-dir "$dir" -L "$label" -j "$jobs" --output-on-failure --timeout 900 || status=1
}

# Wine: a 32-bit and a 64-bit prefix in the Windows build folder (made while
# the Linux tests run) and a private X display for each, all gone at the end. CTest
# runs the two prefixes side by side, each one program at a time.
prefixes="$root/build-win32/wine"
rm -rf "$prefixes"
# Some tests read their dialogs' pixels from the screen (scripts/wine_run.sh).
free_display() {
  for n in $(seq "$1" 130); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then echo ":$n"; return; fi
  done
}
xvfb_pids=()
start_display() {
  Xvfb "$1" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pids+=($!)
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${1#:}" ] && break; sleep 0.1; done
}
# Displays given in HARVELLA_DISPLAY_win32 and HARVELLA_DISPLAY_win64 are
# started and used as given, for a machine that shares its displays out.
HARVELLA_DISPLAY_win32=${HARVELLA_DISPLAY_win32:-$(free_display 90)}
start_display "$HARVELLA_DISPLAY_win32"
HARVELLA_DISPLAY_win64=${HARVELLA_DISPLAY_win64:-$(free_display $(( ${HARVELLA_DISPLAY_win32#:} + 1 )))}
start_display "$HARVELLA_DISPLAY_win64"
export HARVELLA_DISPLAY_win32 HARVELLA_DISPLAY_win64
export DISPLAY="$HARVELLA_DISPLAY_win32" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
( bash scripts/wine_prefix.sh "$prefixes/win32" win32 &
  DISPLAY="$HARVELLA_DISPLAY_win64" bash scripts/wine_prefix.sh "$prefixes/win64" win64 &
  wait ) &
prefixes_pid=$!
cleanup() {
  wait "$prefixes_pid" 2>/dev/null
  for arch in win32 win64; do WINEPREFIX="$prefixes/$arch" wineserver -k >/dev/null 2>&1; done
  kill "${xvfb_pids[@]}" >/dev/null 2>&1 || true
  rm -rf "$prefixes"
}
trap cleanup EXIT

run_label build unit
run_label build integration
run_label build-asan unit
run_label build-asan integration
run_label build-asan fuzz

# A prefix that could not be made is tried again, and reported, by CTest.
wait "$prefixes_pid"
echo "== wine tests (build-win32, 32-bit and 64-bit prefixes)"
ctest --test-dir build-win32 -L wine -j 2 --output-on-failure --timeout 900 || status=1

cd "$root"
if [ $status -eq 0 ]; then echo "== all tests passed"; else echo "== some tests FAILED"; fi
exit $status
