#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer and runs each for a while.
# usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 60 s, every target)
# Each target is built on its own: one that does not build is reported and the
# others still run. Ends with one line per target; exits non-zero when any
# target failed to build or found a fault (its input lands in
# build-fuzz/artifacts/<target>/).
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
secs=${1:-60}
shift || true
dir=build-fuzz
args=(-DVORNA_FUZZ=ON -DVORNA_TESTS=OFF -DVORNA_TOOLS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null || exit 1
else
  cmake "$dir" "${args[@]}" >/dev/null || exit 1
fi
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < <(grep -v '^$' "$dir/fuzz-targets.txt"); fi

export ASAN_OPTIONS=detect_leaks=1 SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
# FUZZ_SEED fixes libFuzzer's random sequence, so a short run (CI's) explores
# the same inputs every time.
seed_args=()
[ -n "${FUZZ_SEED:-}" ] && seed_args=(-seed="$FUZZ_SEED")
summary=(); failed=0
for t in "${targets[@]}"; do
  if ! cmake --build "$dir" --parallel "$(nproc)" --target "$t" >"$dir/build-$t.log" 2>&1; then
    echo "fuzz: $t does not build (see $dir/build-$t.log)"
    summary+=("$t: BUILD FAILED"); failed=1; continue
  fi
  corpus=$dir/corpus/$t
  artifacts=$dir/artifacts/$t
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "fuzz: $t for ${secs}s"
  "$dir/fuzz/$t" -max_total_time="$secs" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${seed_args[@]}" "$corpus" "${seeds[@]}" >"$dir/run-$t.log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/run-$t.log" | tail -n 1)
  if [ $rc -eq 0 ]; then
    summary+=("$t: ok, ${runs:-?} runs, corpus $(ls "$corpus" | wc -l) files")
  else
    what=$(grep -m1 -oE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer): [a-z-]+|runtime error: .*|ALARM: .*' "$dir/run-$t.log")
    tail -n 40 "$dir/run-$t.log"
    summary+=("$t: FAULT (${what:-exit $rc}), input in $artifacts/")
    failed=1
  fi
done
echo "fuzz summary:"
printf '  %s\n' "${summary[@]}"
exit $failed
