#!/usr/bin/env bash
# wine_run.sh ARCH PROGRAM [ARGS...]: runs a Windows test program under Wine on
# the X display given for ARCH's prefix (HARVELLA_DISPLAY_win32 or _win64) when
# there is one. The two prefixes run side by side, and tests that read a
# dialog's pixels from the screen must not find the other prefix's windows on it.
set -euo pipefail
arch=$1
shift
display_var="HARVELLA_DISPLAY_$arch"
if [ -n "${!display_var:-}" ]; then export DISPLAY="${!display_var}"; fi
exec wine "$@"
