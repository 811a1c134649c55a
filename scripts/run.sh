#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the engine and runs it. Arguments go to the engine.
# Without arguments it prints the version and starts the engine headless for a few
# frames from the build folder; while no game is bundled that start ends with the
# engine's "no game" message, which is the expected answer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=${VONDREL_BUILD_DIR:-build/release}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVONDREL_TESTS=OFF -DVONDREL_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target vondrel_host
if [ $# -gt 0 ]; then
  exec "$BUILD/vondrel" "$@"
fi
"$BUILD/vondrel" --version
cd "$BUILD"
status=0
./vondrel --headless --frames 3 || status=$?
case $status in
  0) echo "Ran 3 headless frames." ;;
  1) echo "No game is bundled yet: the engine started and reported that no game loads." ;;
  *) echo "The engine failed with status $status." >&2; exit "$status" ;;
esac
