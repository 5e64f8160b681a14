#!/bin/sh
# Runs one fuzz target for a while: its committed seeds are read, the inputs
# it finds go to the work folder (never into the committed corpus), and a
# crashing input is kept there under artifacts/.
#   run_fuzz_target.sh TARGET SEEDS WORK [SECONDS]   (default: $HARVELLA_FUZZ_SECONDS or 10)
set -eu
target=$1 seeds=$2 work=$3
seconds=${4:-${HARVELLA_FUZZ_SECONDS:-10}}
mkdir -p "$work/corpus" "$work/artifacts"
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
