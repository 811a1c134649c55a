#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the engine and its tests, and runs every test.
# VONDREL_SANITIZE=ON builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
SAN=${VONDREL_SANITIZE:-OFF}
BUILD=${VONDREL_BUILD_DIR:-build/test-$( [ "$SAN" = ON ] && echo san || echo plain )}
cmake -S . -B "$BUILD" -DVONDREL_SANITIZE="$SAN" -DVONDREL_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"
