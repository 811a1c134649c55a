#!/usr/bin/env bash
# Plays the demo on a real X server through the SDL presenter: the window shows the
# title scene (a screenshot of the screen is not blank) and Esc ends the game cleanly.
# CI runs it under xvfb-run (installed by scripts/setup.sh); it needs $DISPLAY.
#
#   demo-on-x.sh VONDREL DEMO_GAME
set -euo pipefail
VONDREL=$1
GAME=$2
HERE=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  echo "demo-on-x.sh: no X display; run it under xvfb-run" >&2
  exit 1
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
# Esc at frame 600: ten seconds at 60 frames a second, time to look at the screen.
printf '600 key ESC\n' > session.txt
export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 SDL_AUDIODRIVER=dummy
# Under LeakSanitizer the system's own X and D-Bus libraries are not ours to answer for.
export LSAN_OPTIONS="suppressions=$HERE/x-server.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
timeout 90 "$VONDREL" --input session.txt --ini demo.ini -window -path "$GAME" &
game=$!

# The title scene shows a picture of many colours; a blank screen has one or two.
shown=0
for _ in $(seq 1 40); do
  sleep 0.25
  kill -0 "$game" 2>/dev/null || break
  if import -window root screen.png 2>/dev/null; then
    colours=$(identify -format '%k' screen.png)
    if [ "$colours" -gt 16 ]; then
      shown=1
      break
    fi
  fi
done
status=0
wait "$game" || status=$?
if [ "$shown" -ne 1 ]; then
  echo "demo-on-x.sh: the screen stayed blank" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "demo-on-x.sh: the game ended with status $status (124: it did not end on Esc)" >&2
  exit 1
fi
grep -q '^RUNS=1' demo.ini || { echo "demo-on-x.sh: the game kept no settings" >&2; exit 1; }
echo "The demo showed its title on the X screen and ended on Esc."
