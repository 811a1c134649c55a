#!/usr/bin/env bash
# Makes the video files of the movie tests with ffmpeg, bit-exact, in the folder given:
#   count.avi  16 x 16 raw BGR at 10 frames a second for 3 s; frame N has red 8 N and
#              blue 255 - 8 N, so its 5-bit red field is N;
#   clip.mpg   32 x 32 MPEG-1 test picture at 25 frames a second with a 440 Hz MP2 tone,
#              2 s;
#   msvc.avi   32 x 32 MS Video 1 test picture at 15 frames a second, 2 s;
#   tone.avi   1 s of a 440 Hz tone and no picture.
# Each file is written under a temporary name and renamed into place, so tests that
# run at once never read half a file.
# Usage: tools/make-movie-fixtures.sh OUTPUT-FOLDER
set -euo pipefail

out="${1:?usage: make-movie-fixtures.sh OUTPUT-FOLDER}"
mkdir -p "$out"
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)
exact=(-fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1)

make() {
  local name=$1
  shift
  local tmp="$out/.tmp.$$.$name"
  "${ff[@]}" "$@" "${exact[@]}" "$tmp"
  mv -f "$tmp" "$out/$name"
}

make count.avi -f lavfi -i "color=black:s=16x16:r=10:d=3,format=rgb24,geq=r='8*N':g=0:b='255-8*N'" \
  -c:v rawvideo -pix_fmt bgr24 -f avi
make clip.mpg -f lavfi -i testsrc=s=32x32:r=25:d=2 -f lavfi -i sine=f=440:r=22050:d=2 \
  -c:v mpeg1video -c:a mp2 -shortest -f mpeg
make msvc.avi -f lavfi -i testsrc=s=32x32:r=15:d=2 -c:v msvideo1 -pix_fmt rgb555le -f avi
# A file with sound and no picture, which no movie opens.
make tone.avi -f lavfi -i sine=f=440:r=22050:d=1 -c:a pcm_s16le -f avi
