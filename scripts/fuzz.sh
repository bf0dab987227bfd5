#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer and runs each for a while.
# usage: scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
secs=${1:-60}
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DVORNA_FUZZ=ON -DVORNA_TESTS=OFF -DVORNA_TOOLS=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
export ASAN_OPTIONS=detect_leaks=1 SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
while read -r t; do
  [ -n "$t" ] || continue
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "fuzz: $t for ${secs}s"
  "build-fuzz/fuzz/$t" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
    "$corpus" "${seeds[@]}" 2>&1 | tail -n 3
done < build-fuzz/fuzz-targets.txt
