#!/usr/bin/env bash
# demo_twice.sh DEMO BUILD_DIR MACHINE_DIR
set -euo pipefail
bash "$1" --keep --built "$2" --dir "$3"
bash "$1" --built "$2" --dir "$3"
