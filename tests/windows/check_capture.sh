#!/bin/bash
# Reads the captured desktop picture with ImageMagick and checks its size and the colour
# of each quadrant of the stand-in desktop window the Windows test painted.
set -u
file=$1
[ -s "$file" ] || { echo "missing $file"; exit 1; }
size=$(identify -format '%w x %h' "$file") || exit 1
[ "$size" = "200 x 120" ] || { echo "size $size"; exit 1; }
status=0
while read -r x y want; do
    got=$(convert "$file" -format "%[fx:int(255*p{$x,$y}.r+.5)],%[fx:int(255*p{$x,$y}.g+.5)],%[fx:int(255*p{$x,$y}.b+.5)]" info:)
    if [ "$got" = "$want" ]; then echo "ok   ($x,$y) $got"; else echo "FAIL ($x,$y) $got, want $want"; status=1; fi
done <<'POINTS'
0 0 255,0,0
50 30 255,0,0
150 30 0,255,0
50 90 0,0,255
150 90 255,255,0
199 119 255,255,0
POINTS
exit $status
