#!/usr/bin/env bash
# Builds and runs every benchmark program (outside CI). Each prints one line
# per figure: name, value, unit (and the measurement's counters).
# usage: scripts/bench.sh [name-filter]   (e.g. scripts/bench.sh ocean)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build-bench -DVORNA_BENCH=ON -DVORNA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
status=0
# Most programs are in bench/; those that read the game's data through the
# programs' own folder live beside the programs, in bin/.
for b in build-bench/bench/* build-bench/bin/bench_*; do
  # The folder also holds the build's own folders and files.
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  [[ "$name" == *"${1:-}"* ]] || continue
  echo "== $name"
  # The programs find the demo data beside the binaries.
  if ! (cd build-bench/bin && "../${b#build-bench/}"); then
    echo "$name failed" >&2
    status=1
  fi
done
exit $status
