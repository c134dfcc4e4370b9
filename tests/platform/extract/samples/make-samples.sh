#!/usr/bin/env bash
# Makes the sample files beside this script with general-purpose tools, so
# that the decoders are checked against encoders other than our own fixture
# builder. Needed only to make them again, never to build or test:
#   apt-get install imagemagick gimp gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64
# ImageMagick draws each picture as a PNG (the pixels the tests expect);
# GIMP, ImageMagick and the MinGW resource compiler write the files decoded.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert-im6.q16   # ImageMagick 6, by full path
png=(-define png:exclude-chunks=date,time)   # the same bytes on every run
GIMP=gimp-console-2.10

# --- The pictures, 32 x 32; those with alpha have an 8 x 8 see-through
# corner at the bottom right.
corner=(-alpha on -region 8x8+24+24 -alpha transparent +region)
# Two colours: black left, white right (no see-through corner: GIMP counts
# it as a third colour).
$IM -size 32x32 xc:black -fill white -draw "rectangle 16,0 31,31" -type TrueColor "${png[@]}" mono.png
# Four colours in quarters: red, lime / blue, white.
quarters=(-size 32x32 xc:red -fill lime -draw "rectangle 16,0 31,15" -fill blue -draw "rectangle 0,16 15,31"
          -fill white -draw "rectangle 16,16 31,31")
$IM "${quarters[@]}" "${corner[@]}" "${png[@]}" quarters.png
$IM "${quarters[@]}" -alpha off -type TrueColor "${png[@]}" quarters-opaque.png
# 64 colours in 4 x 4 tiles.
tiles=(-size 8x8 xc: -sparse-color bilinear "0,0 rgb(0,0,160) 7,0 rgb(224,0,160) 0,7 rgb(0,224,160) 7,7 rgb(224,224,160)"
       -filter point -resize 32x32)
$IM "${tiles[@]}" "${corner[@]}" "${png[@]}" tiles.png
$IM "${tiles[@]}" -alpha off -type TrueColor "${png[@]}" tiles-opaque.png
# Over a thousand colours.
smooth=(-size 32x32 xc: -sparse-color bilinear "0,0 red 31,0 lime 0,31 blue 31,31 white" -depth 8)
$IM "${smooth[@]}" "${corner[@]}" "${png[@]}" smooth.png
# Alpha from 0 at the top to 248 at the bottom, in steps of 8.
$IM "${smooth[@]}" \( -size 32x32 gradient:black-white -fx "floor(j)*8/255" \) -alpha off -compose CopyOpacity -composite -depth 8 "${png[@]}" alpha.png
# A 256 x 256 picture of the quarters, for icons with PNG images.
$IM "${quarters[@]}" "${corner[@]}" -filter point -resize 256x256 "${png[@]}" quarters-256.png

# --- Icons. GIMP picks each image's depth from its colours: 1 bit for two,
# 4 for up to 16, 8 for up to 256, 24 for more, 32 with partial alpha, and a
# PNG image for 256 x 256. Bitmaps: indexed, run-length encoded (4 bits for
# up to 16 colours, else 8).
timeout 300 $GIMP -i -d -f -b '(begin
  (define (ico in out)
    (let* ((img (car (gimp-file-load RUN-NONINTERACTIVE in in))))
      (file-ico-save RUN-NONINTERACTIVE img (car (gimp-image-get-active-layer img)) out out)))
  (define (bmp in out)
    (let* ((img (car (gimp-file-load RUN-NONINTERACTIVE in in))))
      (if (not (= (car (gimp-image-base-type img)) INDEXED))
          (gimp-image-convert-indexed img CONVERT-DITHER-NONE CONVERT-PALETTE-GENERATE 256 FALSE TRUE ""))
      (file-bmp-save2 RUN-NONINTERACTIVE img (car (gimp-image-get-active-layer img)) out out 1 0 0)))
  (ico "mono.png" "icon-1bit.ico")
  (ico "quarters.png" "icon-4bit.ico")
  (ico "tiles.png" "icon-8bit.ico")
  (ico "smooth.png" "icon-24bit.ico")
  (ico "alpha.png" "icon-32bit.ico")
  (ico "quarters-256.png" "icon-png.ico")
  (bmp "quarters-opaque.png" "rle4.bmp")
  (bmp "tiles-opaque.png" "rle8.bmp"))' -b '(gimp-quit 0)' 2>/dev/null
# ImageMagick: an icon of 16 and 32 pixel DIBs and a 256 pixel PNG; the
# 32-bit bitmap with a BITMAPV5HEADER and colour masks; an RLE8 bitmap.
$IM quarters-256.png -define icon:auto-resize=256,32,16 icon-png-and-dibs.ico
$IM alpha.png bitmap-v5-32bit.bmp
$IM tiles-opaque.png -type Palette -compress RLE rle8-imagemagick.bmp

# --- A program library with a named group and a group in two languages,
# built by the MinGW resource compiler and compiler from library.rc and
# library.c.
x86_64-w64-mingw32-windres -O coff -o library.res.o library.rc
x86_64-w64-mingw32-gcc -shared -nostdlib -s -Os -Wl,--no-insert-timestamp -o library.dll library.c library.res.o
rm library.res.o
