#!/usr/bin/env bash
# wine_prefix.sh DIR ARCH: makes a Wine prefix of ARCH (win32 or win64) at DIR
# unless one is there, and checks that the one there is of that ARCH.
set -euo pipefail
dir=$1 arch=$2
export WINEPREFIX="$dir" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$dir/system.reg" ]; then
  mkdir -p "$(dirname "$dir")"
  wineboot -i >/dev/null 2>&1
  # A Windows desktop as the tests' windows expect it: the display has no
  # window manager, so Wine draws the frames and captions itself, and the
  # fonts of dialogs and caption buttons are there, so that dialog units and
  # screenshots come out as on Windows.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
     /usr/share/wine/fonts/marlett.ttf "$dir/drive_c/windows/Fonts/"
  # A new prefix goes on settling after wineboot returns; until its wineserver
  # has ended, a second services.exe can answer every other service-manager call.
  wineserver -w
fi
if ! grep -qx "#arch=$arch" "$dir/system.reg"; then
  echo "$dir is not a $arch prefix" >&2
  exit 1
fi
