#!/usr/bin/env bash
# Draws the program's artwork (three fader tracks with their knobs) as a 256x256 PNG.
set -euo pipefail
out=${1:-kestrava-256.png}
convert -size 256x256 xc:none \
  -fill '#23313f' -draw 'roundrectangle 8,8 247,247 36,36' \
  -fill '#7f8c99' -draw 'rectangle 62,40 70,216' -draw 'rectangle 124,40 132,216' -draw 'rectangle 186,40 194,216' \
  -fill '#f0a202' -draw 'roundrectangle 44,150 88,178 6,6' \
  -fill '#f0a202' -draw 'roundrectangle 106,70 150,98 6,6' \
  -fill '#f0a202' -draw 'roundrectangle 168,120 212,148 6,6' \
  -fill '#ffffff' -draw 'rectangle 44,163 88,165' -draw 'rectangle 106,83 150,85' -draw 'rectangle 168,133 212,135' \
  -define png:color-type=6 "$out"
