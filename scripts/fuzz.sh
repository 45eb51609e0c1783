#!/usr/bin/env bash
# Fuzzes the state-file reader with libFuzzer for FUZZ_SECONDS (default 60), then the progressive
# JPEG's DC decoder, the colour-profile path (ICC profiles, and the PNG, WebP, JPEG and TIFF
# containers walked for orientation and profiles), the TGA decoder, the HEIF/AVIF decoder and the
# JPEG XL decoder as long each, each stopping at its first sanitizer report. New inputs collect in
# build-fuzz/<name>-corpus folders (seeded from fuzz/corpus, fuzz/pictures and small pictures made
# here); an input that breaks the state file reader is saved under fuzz/crashes/, one that breaks
# a decoder under build-fuzz/: `make test` replays fuzz/crashes/ and fuzz/pictures/, so commit it
# there with its fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CXX=clang++ cmake -S "$root/fuzz" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-fuzz"
mkdir -p "$root/build-fuzz/corpus"
"$root/build-fuzz/state_file_fuzzer" "$root/build-fuzz/corpus" "$root/fuzz/corpus" \
  -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$root/fuzz/crashes/"
mkdir -p "$root/build-fuzz/jpeg-corpus"
for sampling in 1x1 2x1 2x2; do
  convert -size 64x48 plasma:fractal -sampling-factor "$sampling" -interlace JPEG \
    "$root/build-fuzz/jpeg-corpus/seed-$sampling.jpg"
done
"$root/build-fuzz/jpeg_dc_fuzzer" "$root/build-fuzz/jpeg-corpus" \
  -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/jpeg-crash-"
mkdir -p "$root/build-fuzz/colour-corpus"
for profile in /usr/share/color/icc/sRGB.icc /usr/share/color/icc/colord/AdobeRGB1998.icc; do
  [ -f "$profile" ] && cp "$profile" "$root/build-fuzz/colour-corpus/"
done
convert -size 8x6 xc:red -profile /usr/share/color/icc/sRGB.icc "$root/build-fuzz/colour-corpus/seed.png"
convert -size 8x6 xc:red -define webp:lossless=true "$root/build-fuzz/colour-corpus/seed.webp"
"$root/build-fuzz/colour_profile_fuzzer" "$root/build-fuzz/colour-corpus" \
  -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/colour-crash-"
mkdir -p "$root/build-fuzz/tga-corpus"
for options in "" "-compress RLE" "-type Palette -compress RLE" "-type Grayscale" "-depth 5"; do
  # shellcheck disable=SC2086
  convert -size 9x7 plasma:fractal $options \
    "tga:$root/build-fuzz/tga-corpus/seed-${options// /}.tga"
done
"$root/build-fuzz/tga_fuzzer" "$root/build-fuzz/tga-corpus" \
  -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/tga-crash-"
mkdir -p "$root/build-fuzz/heif-corpus" "$root/build-fuzz/jxl-corpus"
seeds="$root/build-fuzz/seeds"
mkdir -p "$seeds"
convert -size 64x48 plasma:fractal -profile /usr/share/color/icc/colord/AdobeRGB1998.icc \
  PNG24:"$seeds/seed.png"
convert -size 64x48 plasma:fractal -alpha set -channel A -evaluate set 50% PNG32:"$seeds/alpha.png"
heif-enc -q 50 -t 16 "$seeds/seed.png" -o "$root/build-fuzz/heif-corpus/seed.heic" >/dev/null
heif-enc -q 50 "$seeds/alpha.png" -o "$root/build-fuzz/heif-corpus/alpha.heic" >/dev/null
avifenc -s 10 --irot 1 --cicp 12/13/6 "$seeds/seed.png" "$root/build-fuzz/heif-corpus/seed.avif" \
  >/dev/null
cjxl "$seeds/seed.png" "$root/build-fuzz/jxl-corpus/seed.jxl" 2>/dev/null
cjxl -d 0 "$seeds/alpha.png" "$root/build-fuzz/jxl-corpus/alpha.jxl" 2>/dev/null
cp "$root"/fuzz/pictures/*.jxl "$root/build-fuzz/jxl-corpus/"
for format in heif jxl; do
  "$root/build-fuzz/${format}_fuzzer" "$root/build-fuzz/$format-corpus" \
    -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$root/build-fuzz/$format-crash-"
done
