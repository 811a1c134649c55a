#!/usr/bin/env bash
# Plays the demo on a real X server through the SDL presenter, mirrored a second later
# on a second window: the game's window shows the title scene (a picture of many
# colours), the mirror lies wholly on the screen and, where the game's window leaves
# it visible, shows the same picture; Esc ends the game cleanly.
# CI runs it under with-x-server.sh (Xvfb, installed by scripts/setup.sh); it needs
# $DISPLAY, xwd and ImageMagick.
#
#   demo-on-x.sh VONDREL DEMO_GAME
set -euo pipefail
VONDREL=$1
GAME=$2
HERE=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  echo "demo-on-x.sh: no X display; run it under with-x-server.sh" >&2
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
timeout 90 "$VONDREL" --input session.txt --ini demo.ini -window -delay 1000 -path "$GAME" &
game=$!

# A window's id and its client area on the root window: ID X Y WIDTH HEIGHT.
geometry() {
  xwininfo -name "$1" 2>/dev/null | awk '
    /Window id:/ { id = $4 }
    /Absolute upper-left X:/ { x = $4 }
    /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 }
    /Height:/ { h = $2 }
    END { if (id != "") print id, x, y, w, h }' || true
}
# The number of colours of a picture.
colours() { identify -format '%k' "$1"; }

read -r _ _ _ screenWidth screenHeight < <(xwininfo -root | awk '
  /Window id:/ { id = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print id, 0, 0, w, h }')
shown=0
mirrored=0
placed=1
for _ in $(seq 1 60); do
  sleep 0.25
  kill -0 "$game" 2>/dev/null || break
  first=$(geometry "Vondrel")
  second=$(geometry "Vondrel (2)")
  [ -n "$first" ] && [ -n "$second" ] || continue
  read -r firstId fx fy fw fh <<<"$first"
  read -r secondId sx sy sw sh <<<"$second"
  if [ "$sx" -lt 0 ] || [ "$sy" -lt 0 ] || [ $((sx + sw)) -gt "$screenWidth" ] || [ $((sy + sh)) -gt "$screenHeight" ]; then
    placed=0
  fi
  xwd -silent -id "$firstId" -out first.xwd 2>/dev/null || continue
  xwd -silent -id "$secondId" -out second.xwd 2>/dev/null || continue
  convert xwd:first.xwd first.png && convert xwd:second.xwd second.png || continue
  if [ "$(colours first.png)" -gt 16 ]; then shown=1; fi
  # The mirror's columns that the game's window does not cover (it stays in front):
  # right of it, or left of it.
  if [ "$sx" -ge $((fx + fw)) ] || [ $((sx + sw)) -le "$fx" ]; then
    from=0; to=$sw
  elif [ $((sx + sw)) -gt $((fx + fw)) ]; then
    from=$((fx + fw - sx)); to=$sw
  else
    from=0; to=$((fx - sx))
  fi
  [ "$to" -gt "$from" ] || continue
  crop="$((to - from))x${sh}+${from}+0"
  convert first.png -crop "$crop" +repage first-part.png
  convert second.png -crop "$crop" +repage second-part.png
  if [ "$shown" -eq 1 ] && [ "$(colours second-part.png)" -gt 4 ] &&
     [ "$(compare -metric AE first-part.png second-part.png null: 2>&1)" = "0" ]; then
    mirrored=1
    break
  fi
done
status=0
wait "$game" || status=$?
if [ "$shown" -ne 1 ]; then
  echo "demo-on-x.sh: the game's window stayed blank" >&2
  exit 1
fi
if [ "$placed" -ne 1 ]; then
  echo "demo-on-x.sh: the mirror lies partly off the ${screenWidth}x${screenHeight} screen" >&2
  exit 1
fi
if [ "$mirrored" -ne 1 ]; then
  echo "demo-on-x.sh: the mirror never showed the game's picture" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "demo-on-x.sh: the game ended with status $status (124: it did not end on Esc)" >&2
  exit 1
fi
grep -q '^RUNS=1' demo.ini || { echo "demo-on-x.sh: the game kept no settings" >&2; exit 1; }
echo "The demo showed its title on the X screen and on its mirror, and ended on Esc."
