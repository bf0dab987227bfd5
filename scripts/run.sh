#!/usr/bin/env bash
# Sets up the machine, builds, and starts a program on the bundled demo data.
# usage: scripts/run.sh [seabattle|campaign]   (default seabattle)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-seabattle}
case "$program" in
  seabattle|campaign) ;;
  *) echo "usage: scripts/run.sh [seabattle|campaign]" >&2; exit 2 ;;
esac
bash scripts/setup.sh
bash scripts/build.sh build -DVORNA_TESTS=OFF
cd build/bin
exec "./$program"
