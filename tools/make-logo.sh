#!/bin/sh
# Draws the KORVALE logo shown on the splash screen: an address card on the window cyan, with the product
# name beneath it. The output is a 512 x 384 JPEG; the splash stretches it into its picture box.
#
# Usage: tools/make-logo.sh [output.jpg]      (default: app/resources/logo.jpg next to this script)
# Needs ImageMagick's convert and the URW Bookman face from fonts-urw-base35.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../app/resources/logo.jpg"}
font=/usr/share/fonts/opentype/urw-base35/URWBookman-Demi.otf
[ -r "$font" ] || { echo "make-logo: $font not found (install fonts-urw-base35)" >&2; exit 1; }

cyan='rgb(128,255,255)'
maroon='rgb(128,0,0)'
green='rgb(0,64,0)'
blue='rgb(0,0,255)'

# -strip keeps the file free of dates and profiles, so the same script always makes the same bytes.
convert -size 512x384 "xc:$cyan" \
    -fill 'rgb(96,208,208)' -stroke none -draw 'roundrectangle 110,52 426,252 20,20' \
    -fill white -stroke "$maroon" -strokewidth 6 -draw 'roundrectangle 96,40 412,240 20,20' \
    -stroke none -fill "$maroon" -draw 'rectangle 99,43 409,72' \
    -fill white -draw 'circle 132,57 132,64' -draw 'circle 376,57 376,64' \
    -fill "$green" -draw 'circle 170,130 170,102' \
    -draw 'ellipse 170,206 50,36 180,360' \
    -stroke "$blue" -strokewidth 6 -draw 'line 246,120 380,120' \
    -strokewidth 4 -draw 'line 246,154 380,154' -draw 'line 246,182 356,182' -draw 'line 246,210 372,210' \
    -stroke none -fill "$maroon" -font "$font" -pointsize 76 -gravity south -annotate +0+28 'KORVALE' \
    -strip -quality 92 "$out"
