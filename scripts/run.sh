#!/usr/bin/env bash
# Sets up the machine, builds, and starts seabattle on the bundled demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DVORNA_TESTS=OFF
cd build/bin
exec ./seabattle
