#!/usr/bin/env bash
# Makes the demo game folder: draws its pictures (ImageMagick), synthesises its sounds
# and music (sox), encodes the intro movie (ffmpeg), turns them into the engine's
# formats with the data tools, copies the hand-written definition files beside them
# and packs the folder into a big file.
#
#   make-assets.sh SOURCE_DIR TOOLS_DIR OUTPUT_DIR
#
# SOURCE_DIR is demo/, TOOLS_DIR holds vondrel-img, vondrel-anim, vondrel-font and vondrel-pack;
# OUTPUT_DIR becomes the game folder (replaced whole) and OUTPUT_DIR.big its packed form.
# Every step is deterministic: the same tools give the same files on every run.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 SOURCE_DIR TOOLS_DIR OUTPUT_DIR" >&2
  exit 2
fi
SRC=$(cd "$1" && pwd)
TOOLS=$(cd "$2" && pwd)
OUT=$3
for program in convert sox ffmpeg; do
  if ! command -v "$program" >/dev/null; then
    echo "$0: $program is missing; run scripts/setup.sh" >&2
    exit 1
  fi
done

STAGE="$OUT.stage"
WORK="$OUT.work"
rm -rf "$STAGE" "$WORK"
mkdir -p "$WORK" "$STAGE"

# ---- pictures (800 x 600 backgrounds, RGBA pictures and animation frames) ----------
picture() { convert "$@"; }
picture -size 800x600 gradient:'#1d2b53-#7e2553' \
  -fill '#ffa300' -draw "polygon 250,110 330,110 400,320 470,110 550,110 430,410 370,410" \
  -fill '#5f3a1e' -draw "rectangle 580,220 720,500" \
  -fill '#ffec27' -draw "circle 700,360 708,360" \
  -fill '#c2c3c7' -draw "rectangle 0,500 800,600" \
  -fill '#1d2b53' -stroke '#fff1e8' -strokewidth 2 -draw "rectangle 171,536 568,573" -stroke none \
  -fill '#c2c3c7' -font /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf -pointsize 20 -annotate +182+562 "name" \
  PNG32:"$WORK/title.png"
picture -size 800x600 gradient:'#008751-#1d2b53' \
  -fill '#ab5236' -draw "rectangle 0,440 800,600" \
  -fill '#fff1e8' -draw "polygon 30,520 110,470 110,570" \
  -fill '#83769c' -draw "rectangle 250,120 550,300" \
  -fill '#29adff' -draw "rectangle 265,135 535,285" \
  PNG32:"$WORK/room.png"
# The curtain the title fades in over itself when it is left.
picture -size 800x600 xc:black PNG32:"$WORK/black.png"
picture -size 96x96 xc:none -fill '#ffec27' -draw "polygon 48,8 80,72 16,72" \
  -fill '#ffa300' -draw "circle 48,80 48,90" PNG32:"$WORK/bell.png"
picture -size 96x96 xc:none -fill '#ff004d' -draw "rectangle 12,30 84,80" \
  -fill '#fff1e8' -draw "ellipse 48,30 36,12 0,360" PNG32:"$WORK/drum.png"
# The door of the title and the arrow of the room as buttons: standard, under the
# pointer, pressed. The name box's text cursor.
for look in "door #5f3a1e" "door-over #8f5a2e" "door-pressed #3b2414"; do
  set -- $look
  picture -size 141x281 xc:"$2" -fill '#ffec27' -draw "circle 120,140 128,140" PNG32:"$WORK/$1.png"
done
for look in "arrow #fff1e8" "arrow-over #ffccaa" "arrow-pressed #c2c3c7"; do
  set -- $look
  picture -size 81x101 xc:none -fill "$2" -draw "polygon 0,50 80,0 80,100" PNG32:"$WORK/$1.png"
done
picture -size 3x24 xc:'#ffec27' PNG32:"$WORK/cursor.png"
# The room's note panel (a DIALOG): its background with the strip it is dragged by,
# and its close button's three looks.
picture -size 180x110 xc:'#1d2b53' -fill '#83769c' -draw "rectangle 0,0 179,29" PNG32:"$WORK/panel.png"
for look in "close #ff004d" "close-over #ff77a8" "close-pressed #7e2553"; do
  set -- $look
  picture -size 40x24 xc:"$2" -stroke '#fff1e8' -strokewidth 3 -draw "line 13,5 27,19" -draw "line 27,5 13,19" \
    PNG32:"$WORK/$1.png"
done
# Four frames of a walking figure: the legs and arms swing.
legs=("40,60 46,94" "44,60 44,94" "48,60 38,94" "44,60 44,94")
other=("24,60 18,94" "20,60 20,94" "16,60 26,94" "20,60 20,94")
for i in 0 1 2 3; do
  picture -size 64x96 xc:none -stroke '#fff1e8' -strokewidth 5 \
    -draw "line ${legs[$i]}" -draw "line ${other[$i]}" -stroke none \
    -fill '#29adff' -draw "rectangle 18,26 46,62" \
    -fill '#ffccaa' -draw "circle 32,14 32,2" PNG32:"$WORK/walk$i.png"
done

# The counter's font: digits, lower-case letters and the minus sign, white on clear
# cells of 16 x 24, one frame each, named by its letter (DejaVu Sans Mono).
FONTFILE=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
letters="0123456789abcdefghijklmnopqrstuvwxyz-"
{
  echo "# The letters of the counter's font"
  for ((i = 0; i < ${#letters}; i++)); do echo "frame letter$i.png"; done
  echo "event LETTERS"
  echo "  frames $(seq -s ' ' 0 $((${#letters} - 1)))"
  for ((i = 0; i < ${#letters}; i++)); do echo "  position $i name=${letters:$i:1}"; done
  echo "end"
} >"$WORK/font.txt"
for ((i = 0; i < ${#letters}; i++)); do
  picture -size 16x24 xc:none -font "$FONTFILE" -pointsize 20 -fill white -gravity center \
    -annotate +0+0 "${letters:$i:1}" PNG32:"$WORK/letter$i.png"
done

# ---- sounds (WAV, 22050 Hz, 16-bit mono) and music (WAV, 22050 Hz, 16-bit stereo) ----
# No dither and a fixed seed: the same bytes on every run.
tone() { sox -R -D -n -r 22050 -b 16 -c "$1" "$2" synth "${@:3}"; }
tone 1 "$WORK/bell.wav" 0.6 sine 880 fade 0 0.6 0.5
tone 1 "$WORK/drum.wav" 0.3 sine 110 fade 0 0.3 0.25
tone 1 "$WORK/step.wav" 0.08 square 220 fade 0 0.08 0.06
# The figure's greeting: a voice-like rise and fall, 0.5 s.
tone 1 "$WORK/hello.wav" 0.5 sawtooth 180-260 tremolo 7 60 fade 0.02 0.5 0.1 vol 0.5
notes=(523 659 784 659 587 698 880 698 523 659 784 1047)
parts=()
for i in "${!notes[@]}"; do
  tone 2 "$WORK/note$i.wav" 0.4 sine "${notes[$i]}" fade 0.02 0.4 0.1 vol 0.4
  parts+=("$WORK/note$i.wav")
done
sox -R -D "${parts[@]}" "$WORK/music.wav"

# ---- the intro movie (MPEG-1, 320 x 240, 25 frames a second, 2 s, MP2 sound) -------
# Four pictures of half a second each over a jingle of four rising notes; one thread
# and bit-exact flags, so the same bytes on every run.
shades=('#1d2b53' '#7e2553' '#ab5236' '#ffa300')
for i in 0 1 2 3; do
  picture -size 320x240 gradient:"${shades[$i]}-#000000" \
    -fill '#ffec27' -draw "circle 160,100 $((160 + 20 + 15 * i)),100" \
    -font "$FONTFILE" -pointsize 32 -fill '#fff1e8' -gravity south -annotate +0+30 "VONDREL" \
    PNG24:"$WORK/intro$i.png"
done
jingle=()
for i in 0 1 2 3; do
  tone 1 "$WORK/jingle$i.wav" 0.5 sine "${notes[$((i * 2))]}" fade 0.02 0.5 0.15 vol 0.5
  jingle+=("$WORK/jingle$i.wav")
done
sox -R -D "${jingle[@]}" "$WORK/jingle.wav"
ffmpeg -nostdin -hide_banner -loglevel error -y -threads 1 \
  -framerate 2 -i "$WORK/intro%d.png" -i "$WORK/jingle.wav" \
  -r 25 -pix_fmt yuv420p -c:v mpeg1video -q:v 4 -c:a mp2 -b:a 64k -shortest \
  -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1 \
  -f mpeg "$WORK/intro.mpg"

# ---- the game folder ---------------------------------------------------------------
DANE="$STAGE/Dane"
mkdir -p "$DANE/INTRO" "$DANE/TITLE" "$DANE/ROOM"
cp "$SRC/game/Dane/"*.def "$SRC/game/Dane/"*.cnv "$DANE/"
cp "$SRC/game/Dane/INTRO/"*.cnv "$WORK/intro.mpg" "$DANE/INTRO/"
cp "$SRC/game/Dane/TITLE/"*.cnv "$DANE/TITLE/"
cp "$SRC/game/Dane/ROOM/"*.cnv "$SRC/game/Dane/ROOM/"*.seq "$DANE/ROOM/"
"$TOOLS/vondrel-img" "$WORK/title.png" "$DANE/TITLE/title.img"
"$TOOLS/vondrel-img" "$WORK/black.png" "$DANE/TITLE/black.img"
cp "$DANE/TITLE/black.img" "$DANE/INTRO/black.img"
"$TOOLS/vondrel-img" "$WORK/room.png" "$DANE/ROOM/room.img"
"$TOOLS/vondrel-img" --code 4 --position 560,330 "$WORK/bell.png" "$DANE/ROOM/bell.img"
"$TOOLS/vondrel-img" --code 4 --position 660,330 "$WORK/drum.png" "$DANE/ROOM/drum.img"
for name in door door-over door-pressed; do
  "$TOOLS/vondrel-img" --code 4 --position 580,220 "$WORK/$name.png" "$DANE/TITLE/$name.img"
done
for name in arrow arrow-over arrow-pressed; do
  "$TOOLS/vondrel-img" --code 4 --position 30,470 "$WORK/$name.png" "$DANE/ROOM/$name.img"
done
"$TOOLS/vondrel-img" --position 590,20 "$WORK/panel.png" "$DANE/ROOM/panel.img"
for name in close close-over close-pressed; do
  "$TOOLS/vondrel-img" --position 720,96 "$WORK/$name.png" "$DANE/ROOM/$name.img"
done
"$TOOLS/vondrel-img" --code 4 --position 250,540 "$WORK/cursor.png" "$DANE/TITLE/cursor.img"
"$TOOLS/vondrel-anim" "$WORK/font.txt" "$WORK/font.ann"
"$TOOLS/vondrel-font" "$WORK/font.ann" "$DANE/counter.fnt"
cp "$SRC/figure.txt" "$WORK/figure.txt"
"$TOOLS/vondrel-anim" --code 4 "$WORK/figure.txt" "$DANE/ROOM/figure.ann"
# Sound effects (SOUND objects and the figure's frame sounds) and music lie in the
# game's Wavs folder, where the engine looks for them.
mkdir -p "$STAGE/Wavs"
cp "$WORK/bell.wav" "$WORK/drum.wav" "$WORK/step.wav" "$WORK/hello.wav" "$WORK/music.wav" "$STAGE/Wavs/"

rm -rf "$OUT"
mv "$STAGE" "$OUT"
"$TOOLS/vondrel-pack" --name demo "$OUT" "$OUT.big" >/dev/null
rm -rf "$WORK"
