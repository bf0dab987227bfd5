#!/usr/bin/env bash
# Builds and runs every benchmark program (outside CI).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build-bench -DVORNA_BENCH=ON -DVORNA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
for b in build-bench/bench/*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  (cd build-bench/bin && "../bench/$(basename "$b")")
done
