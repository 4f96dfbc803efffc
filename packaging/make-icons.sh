#!/bin/sh
# Remakes packaging/icons from a render of the program's own fractal: the
# default parameters seen a little closer, on a tile with rounded corners.
# Run once by hand when the look should change, and commit the result; the
# build only installs the files. Needs ImageMagick, pngquant and base64.
#   packaging/make-icons.sh build/release/bin/tessaform-render
set -eu

render=$1
icons=$(dirname "$0")/icons
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$render" -q -W 512 -H 512 --set distance=3.1 -o "$scratch/render.png"
convert "$scratch/render.png" \
    \( -size 512x512 xc:black -fill white -draw 'roundrectangle 0,0 511,511 80,80' \) \
    -alpha off -compose CopyOpacity -composite -strip PNG32:"$scratch/tile.png"

for size in 16 22 24 32 48 64 128 256 512; do
    convert "$scratch/tile.png" -filter Lanczos -resize "${size}x$size" -strip PNG32:"$scratch/$size.png"
    pngquant --force --strip --quality 60-90 --speed 1 --output "$icons/$size.png" "$scratch/$size.png"
done

# The scalable icon holds the render as a small JPEG, clipped to the tile.
convert "$scratch/render.png" -filter Lanczos -resize 256x256 -strip -sampling-factor 1x1 -quality 85 \
    "$scratch/render.jpg"
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="512" height="512" viewBox="0 0 512 512">'
    echo '  <clipPath id="tile"><rect width="512" height="512" rx="80" ry="80"/></clipPath>'
    printf '  <image width="512" height="512" clip-path="url(#tile)" preserveAspectRatio="none" xlink:href="data:image/jpeg;base64,%s"/>\n' \
        "$(base64 -w0 "$scratch/render.jpg")"
    echo '</svg>'
} >"$icons/scalable.svg"
