#!/usr/bin/env bash
# Makes the Windows window's icon (resource 128) and the preview's picture (resource 135,
# 66 x 50 pixels, 256 colours) from the program's icon resources/zepimport.svg, with
# ImageMagick, into window/win32/res/. The results are kept in the repository; run this only
# when the icon changes.
set -euo pipefail
cd "$(dirname "$0")/.."
svg="$PWD/resources/zepimport.svg"
out="$PWD/window/win32/res"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48; do
    convert -background none -density 384 "$svg" -resize "${s}x${s}" "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$out/zepimport.ico"
convert -background none -density 384 "$svg" -resize 42x42 "$tmp/picture.png"
convert -size 66x50 gradient:'#dfe8f4'-'#9db6d8' "$tmp/picture.png" -gravity center \
    -composite -type Palette -colors 256 -compress none "BMP3:$out/preview.bmp"
