#!/usr/bin/env bash
# Refreshes the pictures of docs/images from the Wine runs: the launcher's
# dialogs and the root password dialog as the Wine tests show them, Setup's
# and the uninstaller's pages as the Windows demo shows them. Runs those
# tests and the demo on the Windows build (built first unless --built is
# given), on X displays of its own, then copies the screenshots, compressed.
#
#   scripts/refresh_images.sh [--built BUILD_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
built=""
if [ "${1:-}" = "--built" ]; then built=$(realpath -m -- "$2"); fi
if [ -z "$built" ]; then
  bash scripts/bootstrap.sh || exit 1
  cmake --preset win32 >/dev/null && cmake --build --preset win32 || exit 1
  built=$PWD/build-win32
fi
images=(
  dialog-working dialog-started dialog-stopped dialog-failed-start dialog-failed-stop
  root-password-dialog root-password-dialog-invalid
  setup-directory setup-database-choice setup-database-working setup-database-done
  setup-database-failed setup-installed setup-finish
  setup-database-choice-mysql setup-database-mysql-working setup-database-mysql-done
  setup-database-mysql-again-done
  uninstall-confirm uninstall-question uninstall-done
)

for n in $(seq 120 149); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
prefix=$built/wine/win32
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1; kill "$xvfb" 2>/dev/null' EXIT
export DISPLAY=":$n" HARVELLA_DISPLAY_win32=":$n" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for image in "${images[@]}"; do rm -f "$built/screenshots/$image.png"; done
ctest --test-dir "$built" --output-on-failure \
  -R '^(launcher_frontend_wine_tests|page_wine_tests|windows_demo)$' || exit 1

mkdir -p docs/images
for image in "${images[@]}"; do
  [ -e "$built/screenshots/$image.png" ] || { echo "refresh: $image.png was not made" >&2; exit 1; }
  cp "$built/screenshots/$image.png" "docs/images/$image.png"
  optipng -quiet -o2 "docs/images/$image.png" || exit 1
done
echo "docs/images: ${#images[@]} pictures refreshed"
