#!/bin/sh
# Draws the application icon for the desktop's hicolor theme from the splash logo: the address card cut
# out of app/resources/logo.jpg, centred on a rounded tile of the logo's cyan, one PNG per size.
#
# Usage: tools/make-icons.sh      (writes packaging/icons/<size>.png next to this script's folder)
# Needs ImageMagick's convert. Run it again whenever the logo changes, and commit the PNGs.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
logo="$here/../app/resources/logo.jpg"
out="$here/../packaging/icons"
mkdir -p "$out"

cyan='rgb(128,255,255)'
tile=$(mktemp --suffix=.png)
trap 'rm -f "$tile"' EXIT

# The card with its shadow spans x 96..426, y 40..252 in the 512 x 384 logo. A 360-pixel square tile
# holds it with a margin; its corners are cut round through an alpha mask.
convert "$logo" -crop 340x222+91+35 +repage -background "$cyan" -gravity center -extent 360x360 \
    \( -size 360x360 xc:black -fill white -draw 'roundrectangle 0,0 359,359 56,56' \) \
    -alpha off -compose CopyOpacity -composite "$tile"

# -strip and no time chunks keep the files free of dates, so the same logo always makes the same bytes.
for size in 16 32 48 64 128 256; do
    convert "$tile" -filter Lanczos -resize "${size}x${size}" -strip \
        -define png:exclude-chunks=date,time "$out/$size.png"
done
