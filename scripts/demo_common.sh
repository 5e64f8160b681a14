# Sourced by scripts/demo.sh and scripts/demo_windows.sh: the build, numbered
# steps, each with the exit code it expects, and the summary table at the end.
#
# step NAME EXPECTED-EXIT-CODE WHAT-IT-MEANS COMMAND...: runs the command
# unless a step failed before. A command may leave its answer in $answer
# instead of its exit status (Windows exit codes are wider than a shell's).
names=() codes=() expected=() seconds=() verdicts=()
failed=0
heading() { printf '\n== %s\n' "$1"; }
# build_targets PRESET TARGET...: installs what the build needs and builds.
build_targets() {
  local preset=$1
  shift
  bash scripts/bootstrap.sh || return 1
  if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  fi
  heading "Building"
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target "$@"
}
step() {
  local name=$1 want=$2 meaning=$3
  shift 3
  names+=("$name") expected+=("$want")
  heading "${#names[@]}. $name (expects $want: $meaning)"
  if [ $failed -eq 1 ]; then
    echo "(skipped after the failure above)"
    codes+=("-") seconds+=("-") verdicts+=("skipped")
    return
  fi
  local start=$EPOCHREALTIME code
  answer=""
  "$@"
  code=$?
  [ -z "$answer" ] || code=$answer
  codes+=("$code")
  seconds+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')")
  if [ "$code" = "$want" ]; then verdicts+=("ok"); else verdicts+=("FAILED"); failed=1; fi
}
summary() {
  heading "Summary"
  printf '%-4s %-42s %5s %9s %8s  %s\n' "#" "step" "exit" "expected" "seconds" "result"
  local i
  for i in "${!names[@]}"; do
    printf '%-4s %-42s %5s %9s %8s  %s\n' "$((i + 1))" "${names[i]}" "${codes[i]}" "${expected[i]}" \
      "${seconds[i]}" "${verdicts[i]}"
  done
}
