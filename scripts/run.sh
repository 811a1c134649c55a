#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the engine and runs it. Arguments go to the engine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=${VONDREL_BUILD_DIR:-build/release}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVONDREL_TESTS=OFF -DVONDREL_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target vondrel_host
exec "$BUILD/vondrel" "$@"
