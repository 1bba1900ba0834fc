#!/bin/sh
# Renders the four pictures of the image bundle, and the application icon at the sizes of the hicolor theme that
# the package installs (resources/icons/vmfwupd-<size>.png), from the SVG files beside this script.
# Regenerate with: resources/art/render.sh   (needs rsvg-convert, ImageMagick and the DejaVu fonts)
set -eu
art=$(cd "$(dirname "$0")" && pwd)
out=$(dirname "$art")
# Some set-ups put a wrapper named convert earlier on PATH; the real ImageMagick is asked for by path.
convert=${CONVERT:-/usr/bin/convert}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# $1 svg, $2 width, $3 height, $4 png format (PNG32 keeps alpha, PNG24 is plain RGB), $5 target file below $out
render() {
    mkdir -p "$(dirname "$tmp/$5")"
    rsvg-convert -w "$2" -h "$3" "$art/$1" -o "$tmp/$5"
    "$convert" "$tmp/$5" -strip "$4:$out/$5"
}

render sticker.svg     275  275  PNG32 OwlSticker.png
render sticker.svg     1107 1107 PNG32 VelmoraOwlR.png
render velmoralogo.svg 1299 241  PNG32 velmoralogo.png
rsvg-convert -w 108 -h 40 "$art/orvanelogo.svg" -o "$tmp/orvane.png"
"$convert" "$tmp/orvane.png" -background white -alpha remove -alpha off -strip "PNG24:$out/OrvaneLogo.png"

mkdir -p "$out/icons"
for size in 16 22 24 32 48 64 128 256; do
    render sticker.svg "$size" "$size" PNG32 "icons/vmfwupd-$size.png"
done
