#!/bin/sh
# Every check CI makes, after scripts/install-deps.sh: the test suite in the
# release build, again under AddressSanitizer + UndefinedBehaviorSanitizer
# (with LeakSanitizer) and under ThreadSanitizer, then a minute of each
# fuzzer. Any finding fails the run.
set -eu
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

for preset in release asan tsan; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
scripts/fuzz.sh 60
