#!/usr/bin/env bash
# Writes the small seed corpora of the fuzz targets into fuzz/corpus/TARGET/.
# Needs ImageMagick and netpbm. Every seed is a tiny picture made here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bmp=$here/corpus/fuzz_bmp pcx=$here/corpus/fuzz_pcx dib=$here/corpus/fuzz_dib
mkdir -p "$bmp" "$pcx" "$dib"

# A 5x4 colour picture, a 16-colour and a 2-colour one.
convert -size 5x4 gradient:red-blue "$tmp/rgb.ppm"
convert -size 5x4 xc:white -fill black -draw "point 1,1" -draw "point 3,2" "$tmp/mono.ppm"
convert -seed 1 -size 6x3 plasma:fractal -colors 16 "$tmp/c16.ppm" 2>/dev/null ||
  convert -size 6x3 gradient:green-yellow -colors 16 "$tmp/c16.ppm"

convert "$tmp/rgb.ppm" BMP3:"$bmp/rgb24.bmp"
convert "$tmp/c16.ppm" -type Palette BMP3:"$bmp/pal4.bmp"
convert "$tmp/c16.ppm" -type Palette -compress RLE BMP3:"$bmp/rle8.bmp"
convert "$tmp/mono.ppm" -type Palette BMP3:"$bmp/mono.bmp"
convert "$tmp/rgb.ppm" BMP2:"$bmp/os2core.bmp"
convert "$tmp/rgb.ppm" -alpha set BMP:"$bmp/v5alpha.bmp"
convert "$tmp/rgb.ppm" -define bmp:subtype=RGB565 BMP:"$bmp/rgb565.bmp"
ppmtobmp -bpp 8 "$tmp/c16.ppm" > "$bmp/pal8.bmp" 2>/dev/null
# RLE4 with a delta, end of line, an absolute run and end of bitmap (4x3).
printf 'BM\x00\x00\x00\x00\x00\x00\x00\x00\x3e\x00\x00\x00\x28\x00\x00\x00\x04\x00\x00\x00\x03\x00\x00\x00\x01\x00\x04\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\x00\x03\x12\x00\x00\x00\x02\x01\x01\x00\x03\x12\x30\x00\x01' > "$bmp/rle4.bmp"

convert "$tmp/rgb.ppm" PCX:"$pcx/rgb24.pcx"
convert "$tmp/c16.ppm" -type Palette PCX:"$pcx/pal8.pcx"
ppmtopcx -planes=4 "$tmp/c16.ppm" > "$pcx/ega.pcx" 2>/dev/null
ppmtopcx -packed "$tmp/c16.ppm" > "$pcx/packed4.pcx" 2>/dev/null
ppmtopcx "$tmp/mono.ppm" > "$pcx/mono.pcx" 2>/dev/null

# Packed DIBs: bitmap files without their 14-byte file header.
for f in rgb24 pal4 mono pal8; do
  tail -c +15 "$bmp/$f.bmp" > "$dib/$f.dib"
done

# The whole import: a few of each, plus JPEG, TIFF and GIF.
imp=$here/corpus/fuzz_import
mkdir -p "$imp"
cp "$bmp/rgb24.bmp" "$bmp/rle8.bmp" "$bmp/os2core.bmp" "$pcx/rgb24.pcx" "$pcx/ega.pcx" "$imp/"
convert "$tmp/rgb.ppm" -quality 80 JPEG:"$imp/rgb.jpg"
convert "$tmp/rgb.ppm" -interlace Plane JPEG:"$imp/progressive.jpg"
convert "$tmp/c16.ppm" GIF:"$imp/c16.gif"
convert "$tmp/rgb.ppm" -compress None TIFF:"$imp/rgb.tif"
convert "$tmp/c16.ppm" -compress LZW TIFF:"$imp/lzw.tif"

# Clipboard streams of a picture position: pan X 0.5, pan Y 0.5, zoom 1.0 or
# 2.0, a file name or none, a 1x1 24-bit packed DIB.
clip=$here/corpus/fuzz_picclip
mkdir -p "$clip"
dib1='\x2c\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x10\x20\x30\x00'
half='\x00\x00\x00\x00\x00\x00\xe0\x3f'
printf "$half$half"'\x00\x00\x00\x00\x00\x00\xf0\x3f''\x05\x00\x00\x00a.bmp'"$dib1" > "$clip/named.bin"
printf "$half$half"'\x00\x00\x00\x00\x00\x00\x00\x40''\x00\x00\x00\x00'"$dib1" > "$clip/zoom2.bin"
