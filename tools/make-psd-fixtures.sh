#!/usr/bin/env bash
# Makes the layered PSD files of the image tests with ImageMagick: an 8 x 6 picture
# with two named layers, "Red" (4 x 3 at 1, 2, opaque red) and "Half Blue" (3 x 2 at
# 5, 0, blue at half opacity), in raw, run-length (PackBits) and ZIP channel form.
# Usage: tools/make-psd-fixtures.sh [output folder, default tests/data/psd]
set -euo pipefail

out="${1:-tests/data/psd}"
mkdir -p "$out"
for form in None:raw RLE:rle Zip:zip; do
  convert -size 8x6 "xc:rgb(10,200,30)" \
    \( -size 4x3 "xc:rgba(255,0,0,1)" -set label "Red" -repage +1+2 \) \
    \( -size 3x2 "xc:rgba(0,0,255,0.5)" -set label "Half Blue" -repage +5+0 \) \
    -depth 8 -type TrueColorAlpha -compress "${form%%:*}" "$out/layers-${form##*:}.psd"
done
