#!/usr/bin/env bash
# Fuzzes the state-file reader with libFuzzer for FUZZ_SECONDS (default 60), then the progressive
# JPEG's DC decoder as long, then the colour-profile path (ICC profiles, and the PNG, WebP, JPEG and
# TIFF containers walked for orientation and profiles) as long, then the TGA decoder as long. New inputs collect in build-fuzz/corpus and build-fuzz/jpeg-corpus
# (seeded from fuzz/corpus and a few progressive JPEGs made here); an input that breaks the state
# file reader is saved under fuzz/crashes/, which `make test` replays, so commit it with its fix.
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
