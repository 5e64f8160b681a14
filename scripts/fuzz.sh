#!/usr/bin/env bash
# Builds the sanitizer tree and runs every fuzz target for SECONDS (default
# 60), one after the other, on its committed seeds; prints each target's
# executions per second and coverage. Exits non-zero when a target fails;
# its crashing input stays in build-asan/tests/fuzz/<target>/artifacts.
#   scripts/fuzz.sh [SECONDS]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --preset linux-asan >/dev/null && cmake --build --preset linux-asan -j "$(nproc)" >/dev/null ||
  { echo "fuzz: the linux-asan build failed"; exit 1; }

status=0
printf '%-26s %8s %12s %10s %14s %8s\n' target result executions exec/s 'cov (of edges)' features
for target in build-asan/bin/fuzz_*; do
  name=$(basename "$target")
  log=build-asan/tests/fuzz/$name/last-run.log
  mkdir -p "$(dirname "$log")"
  if sh tests/fuzz/run_fuzz_target.sh "$target" "tests/fixtures/fuzz/$name" \
       "build-asan/tests/fuzz/$name" "$seconds" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED; status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  edges=$(sed -n 's/^INFO: Loaded 1 modules *(\([0-9]*\) inline.*/\1/p' "$log" | head -1)
  printf '%-26s %8s %12s %10s %14s %8s\n' "$name" "$result" "${runs:-?}" "${rate:-?}" \
    "${cov:-?} (${edges:-?})" "${features:-?}"
done
exit $status
