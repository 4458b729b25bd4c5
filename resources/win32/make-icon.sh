#!/usr/bin/env bash
# Makes the program's icon file from its 256x256 artwork: one 64x64 image in 256
# colours (binary transparency) and one 64x64 image in 32-bit colour with alpha.
# Uses ImageMagick's convert and icoutils' icotool; the result depends only on the input.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 ARTWORK.png OUTPUT.ico" >&2
  exit 2
fi
artwork=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert "$artwork" -strip -filter Lanczos -resize 64x64 PNG32:"$work/64-rgba.png"
# 256 colours: the mask keeps pixels that are at least half opaque.
convert "$work/64-rgba.png" -strip -channel A -threshold 50% +channel \
  -dither None -colors 255 PNG8:"$work/64-indexed.png"
icotool --create --output="$work/icon.ico" \
  --bit-depth=8 "$work/64-indexed.png" --bit-depth=32 "$work/64-rgba.png"
mv "$work/icon.ico" "$output"
