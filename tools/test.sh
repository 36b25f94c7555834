#!/usr/bin/env bash
# Sets up, then builds and runs the whole test suite twice: with warnings as errors, and under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the package test, where the packaging
# tools are installed (it says why and skips elsewhere).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh build -DSORTUNE_WERROR=ON
ctest --test-dir build --output-on-failure -j2

tools/setup.sh build-asan -DSORTUNE_WERROR=ON -DSORTUNE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j2

tools/package_test.sh
