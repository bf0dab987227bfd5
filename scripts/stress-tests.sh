#!/usr/bin/env bash
# Runs the tests that drive a program in a real X window on two cores beside
# two busy loops on the same cores, N times in a row, and prints how often
# each test passed. A test that needs an idle machine fails here; run it
# before you stop whenever an X test (or what it drives) changed.
#
# usage: scripts/stress-tests.sh [N] [ctest -R regex]
#   N       runs in a row (default 5)
#   regex   the tests to run (default: every test labelled x_pointer, that
#           is every test that moves the X server's pointer)
# environment:
#   BUILD_DIR     the build folder (default build); built first when it
#                 exists, configured with the tests and tools when not
#   STRESS_CORES  the cores to pin everything to (default 0,1)
#   BURNERS       how many busy loops run beside the tests (default 2)
#   STRESS_LOGS   where each run's ctest output is kept
#                 (default $BUILD_DIR/stress-logs)
# Exit code 0 when every test passed every run.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
regex=${2:-}
dir=${BUILD_DIR:-build}
cores=${STRESS_CORES:-0,1}
burners=${BURNERS:-2}
logs=${STRESS_LOGS:-$dir/stress-logs}
case "$runs" in '' | *[!0-9]*) echo "usage: $0 [N] [regex]" >&2; exit 2 ;; esac

bash scripts/setup.sh
bash scripts/build.sh "$dir" -DVORNA_TESTS=ON -DVORNA_TOOLS=ON

select=(-L '^x_pointer$')
[ -n "$regex" ] && select=(-R "$regex")
mkdir -p "$logs"
rm -f "$logs"/run-*.log

# The busy loops, pinned to the tests' cores; ended (by their own ids) however
# this script ends.
pids=()
stop_burners() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
}
trap stop_burners EXIT
trap 'exit 130' INT TERM
for ((i = 0; i < burners; ++i)); do
  taskset -c "$cores" bash -c 'while :; do :; done' &
  pids+=("$!")
done

export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null NO_AT_BRIDGE=1
declare -A passed=() seen=()
order=()
for ((run = 1; run <= runs; ++run)); do
  log="$logs/run-$run.log"
  start=$(date +%s)
  # The X server, the tests and the programs they start all stay on the
  # pinned cores. ctest's own time limit is CI's.
  taskset -c "$cores" xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$dir" "${select[@]}" --output-on-failure --parallel 2 --timeout 300 >"$log" 2>&1 || true
  ok=0 total=0
  while read -r name result; do
    if [ -z "${seen[$name]:-}" ]; then seen[$name]=1; passed[$name]=0; order+=("$name"); fi
    total=$((total + 1))
    if [ "$result" = Passed ]; then passed[$name]=$((passed[$name] + 1)); ok=$((ok + 1)); fi
  done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+[* ]*([A-Za-z]+).*/\1 \2/p' "$log")
  echo "run $run/$runs: $ok of $total passed in $(($(date +%s) - start)) s (log: $log)"
  if [ "$total" -eq 0 ]; then
    echo "no test ran; the end of the log:" >&2
    tail -20 "$log" >&2
    exit 1
  fi
done

echo
echo "passes of $runs runs, on cores $cores beside $burners busy loops:"
failed=0
for name in "${order[@]}"; do
  printf '  %2d/%d  %s\n' "${passed[$name]}" "$runs" "$name"
  [ "${passed[$name]}" -eq "$runs" ] || failed=1
done
exit "$failed"
