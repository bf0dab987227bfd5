#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite headless.
# usage: scripts/test.sh            (normal build in build/)
#        scripts/test.sh --asan     (AddressSanitizer + UBSan build in build-asan/)
#        scripts/test.sh --tsan     (ThreadSanitizer build in build-tsan/, sound tests)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Tests on (and the tools unless a case turns them off), whatever an earlier
# run of scripts/run.sh left in the build folder's cache.
dir=build; args=(-DVORNA_TESTS=ON -DVORNA_TOOLS=ON); filter=()
case "${1:-}" in
  --asan) dir=build-asan; args+=(-DVORNA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  --tsan) dir=build-tsan; args+=(-DVORNA_TSAN=ON -DVORNA_TOOLS=OFF -DCMAKE_BUILD_TYPE=Debug); filter=(-R "${TSAN_TESTS:-^Sound}") ;;
esac
bash scripts/build.sh "$dir" "${args[@]}"

export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null NO_AT_BRIDGE=1
# Sanitizer reports end the test that finds them; system libraries that the
# sanitizers cannot see into are named in scripts/sanitizers/.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="second_deadlock_stack=1:suppressions=$PWD/scripts/sanitizers/tsan.supp"
# The dialog tools' tests need an X server; everything else runs without one.
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" --timeout 300 "${filter[@]}"
