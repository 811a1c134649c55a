#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the engine, its data tools and the demo game,
# and plays the demo.
#
#   bash scripts/run.sh                  plays the demo in a window (headless when
#                                        there is no display)
#   bash scripts/run.sh ARGUMENTS...     runs the engine with the arguments, on the
#                                        demo unless they name a game with -path
#
# e.g. bash scripts/run.sh --headless --frames 600 --dump-dir out
# Relative paths in the arguments are taken from the folder run.sh is started in. The
# demo's settings (its counters) are kept in the build folder between runs.
# VONDREL_BUILD_DIR (default build/release) is where it builds, with VONDREL_JOBS
# parallel jobs (default: all cores).
set -euo pipefail
START=$(pwd)
cd "$(dirname "$0")/.."
ROOT=$(pwd)
bash scripts/setup.sh
BUILD=${VONDREL_BUILD_DIR:-build/release}
case $BUILD in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVONDREL_TESTS=OFF -DVONDREL_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"${VONDREL_JOBS:-$(nproc)}" --target vondrel_host vondrel_tools vondrel_demo
GAME="$BUILD/demo-game"
cd "$START"

names_game=0
for a in "$@"; do
  case ${a,,} in -path | /path | -game | /game) names_game=1 ;; esac
done
demo=()
if [ "$names_game" -eq 0 ]; then demo=(--ini "$BUILD/demo.ini" -path "$GAME"); fi

if [ $# -gt 0 ]; then
  exec "$BUILD/vondrel" "${demo[@]}" "$@"
fi
"$BUILD/vondrel" --version
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: playing the demo's scripted session headless; its frames go to demo-frames/."
  exec "$BUILD/vondrel" "${demo[@]}" --headless --frames 600 --dump-dir demo-frames --dump-every 60 \
    --input "$ROOT/demo/session.txt"
fi
echo "Playing the demo in a window: the door leads to the room (click the bell and the drum), the arrow back, Esc ends."
exec "$BUILD/vondrel" "${demo[@]}" -window
