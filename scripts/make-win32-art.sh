#!/usr/bin/env bash
# Draws the Windows window's icon (resource 128) and the preview's picture (resource 135,
# 66 x 50 pixels, 256 colours) with ImageMagick into window/win32/res/. The results are kept in
# the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/../window/win32/res"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48; do
    convert -size ${s}x${s} xc:none -fill '#1f5fa8' \
        -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $((s / 6)),$((s / 6))" \
        -fill white -font DejaVu-Sans-Bold -pointsize $((s * 7 / 10)) -gravity center \
        -annotate +0+0 'Z' -fill '#f0a020' \
        -draw "polygon $((s * 6 / 10)),$((s * 7 / 10)) $((s - 2)),$((s * 7 / 10)) $((s * 8 / 10)),$((s - 2))" \
        "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" zepimport.ico
convert -size 66x50 gradient:'#dfe8f4'-'#9db6d8' -fill '#1f5fa8' \
    -draw "roundrectangle 8,6 40,44 4,4" -fill white -font DejaVu-Sans-Bold -pointsize 22 \
    -gravity center -annotate -9+0 'Z' -fill '#f0a020' -draw "polygon 46,18 60,18 53,30" \
    -fill '#2a6e2a' -draw "rectangle 44,34 62,40" -type Palette -colors 256 -compress none \
    BMP3:preview.bmp
