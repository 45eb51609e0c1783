#!/usr/bin/env bash
# Black-box restore benchmark. A temporary data folder holds 20 pins whose copies are 6000 x 4000
# JPEGs (half of them progressive) and one 4096 x 4096 WebP. build/corkwallery starts on the
# offscreen platform; the time to the last "Window restored successfully" line and the peak
# memory (/usr/bin/time -v) are measured cold (no previews) and warm, beside an empty launch and
# beside djpeg/dwebp over the same files, all in the same run. Medians of RUNS rounds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/corkwallery"
runs=${RUNS:-5}
data="$root/build/bench/restore-photos"  # generated once, kept between runs

for tool in convert cjpeg djpeg cwebp dwebp /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "restore-bench: $tool is missing" >&2; exit 1; }
done

make_photos() {
  local tmp="$data.tmp"
  rm -rf "$tmp" && mkdir -p "$tmp"
  # Two camera-like pictures: smooth shapes with sensor noise, 4:2:0 as cameras store them.
  for seed in 1 2; do
    convert -seed "$seed" -size 600x400 plasma:fractal -resize '6000x4000!' \
      -attenuate 0.4 +noise Gaussian "$tmp/base$seed.ppm"
  done
  for i in $(seq 0 9); do
    cjpeg -quality $((85 + i)) -sample 2x2 "$tmp/base$((i % 2 + 1)).ppm" >"$tmp/baseline-$i.jpg"
    cjpeg -quality $((85 + i)) -sample 2x2 -progressive "$tmp/base$((2 - i % 2)).ppm" \
      >"$tmp/progressive-$i.jpg"
  done
  convert -seed 3 -size 512x512 plasma:fractal -resize '4096x4096!' -attenuate 0.4 \
    +noise Gaussian "$tmp/square.ppm"
  cwebp -quiet -q 80 "$tmp/square.ppm" -o "$tmp/square.webp"
  rm -f "$tmp"/*.ppm
  mv "$tmp" "$data"
}
[[ -f "$data/square.webp" ]] || { echo "restore-bench: generating photos (once)"; make_photos; }

# The data folder lives in memory (BENCH_TMPDIR overrides): every restored pin rewrites the state
# file and forces it to disk, and disk latency on a shared machine would drown the image figures.
tmpdir=${BENCH_TMPDIR:-/dev/shm}
[[ -d "$tmpdir" && -w "$tmpdir" ]] || tmpdir=/tmp
work=$(mktemp -d "$tmpdir/corkwallery-restore-XXXXXX")
echo "data folder in $tmpdir"
app_pid=""
cleanup() {
  [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A data folder with the pins, and one with none; the user has pinned before, so the empty
# launch shows no welcome card.
setup_home() {
  local home=$1 pins=$2
  mkdir -p "$home/data/Corkwallery/images" "$home/config/Corkwallery" "$home/cache"
  printf '[General]\nhasAddedFirstPhoto=true\n' >"$home/config/Corkwallery/Corkwallery.conf"
  local records=() i=0 name
  if [[ "$pins" == yes ]]; then
    for f in "$data"/baseline-*.jpg "$data"/progressive-*.jpg "$data"/square.webp; do
      name="00000000-0000-0000-0000-$(printf '%012d' "$i")-$(basename "$f")"
      cp "$f" "$home/data/Corkwallery/images/$name"
      records+=("{\"storedFilename\":\"$name\",\"originalPath\":\"\\/tmp\\/$(basename "$f")\",\"centerX\":$((200 + i * 40)),\"centerY\":$((300 + i * 20)),\"baseWidth\":300,\"baseHeight\":200,\"rotationAngle\":0.05,\"pinColorName\":\"red\",\"isLocked\":false}")
      i=$((i + 1))
    done
  fi
  (IFS=,; printf '[%s]' "${records[*]}") >"$home/data/Corkwallery/pinned-photos.json"
}
setup_home "$work/empty" no
setup_home "$work/pins" yes
pin_count=$(ls "$work/pins/data/Corkwallery/images" | wc -l)

# Starts the program in a home and prints "<milliseconds to the last awaited line> <peak KB>".
launch() {
  local home=$1 pattern=$2 wanted=$3 seen=0 start end line
  local report="$work/time.txt"
  start=$EPOCHREALTIME
  coproc APP {
    exec env -i PATH="$PATH" HOME="$home" XDG_DATA_HOME="$home/data" \
      XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$work" \
      QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$report" "$bin" 2>/dev/null
  }
  local time_pid=$APP_PID
  while IFS= read -r line <&"${APP[0]}"; do
    if [[ "$line" == *"$pattern"* ]]; then
      seen=$((seen + 1))
      [[ $seen -ge $wanted ]] && break
    fi
  done
  end=$EPOCHREALTIME
  app_pid=$(pgrep -P "$time_pid" || true)
  [[ -n "$app_pid" ]] && kill -TERM "$app_pid"
  wait "$time_pid" 2>/dev/null || true
  app_pid=""
  local kb
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$report")
  [[ $seen -ge $wanted ]] || { echo "restore-bench: saw $seen of $wanted lines" >&2; exit 1; }
  awk -v s="$start" -v e="$end" -v kb="$kb" 'BEGIN { printf "%.1f %d\n", (e - s) * 1000, kb }'
}

# The reference decoders over the same files, in milliseconds.
decoders() {
  local start end
  start=$EPOCHREALTIME
  for f in "$data"/baseline-*.jpg; do djpeg -scale 1/8 "$f" >/dev/null; done
  for f in "$data"/progressive-*.jpg; do djpeg "$f" >/dev/null; done
  dwebp -quiet -ppm "$data/square.webp" -o /dev/null
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

launch "$work/empty" "state(s) to restore" 1 >/dev/null  # warms the page cache
: >"$work/rounds"
for round in $(seq 1 "$runs"); do
  read -r e_ms e_kb < <(launch "$work/empty" "state(s) to restore" 1)
  rm -rf "$work/pins/cache/Corkwallery"
  read -r c_ms c_kb < <(launch "$work/pins" "Window restored successfully" "$pin_count")
  read -r w_ms w_kb < <(launch "$work/pins" "Window restored successfully" "$pin_count")
  d_ms=$(decoders)
  echo "$e_ms $e_kb $c_ms $c_kb $w_ms $w_kb $d_ms" >>"$work/rounds"
  printf '  round %d: empty %s ms %s KB | cold %s ms %s KB | warm %s ms %s KB | decoders %s ms\n' \
    "$round" "$e_ms" "$e_kb" "$c_ms" "$c_kb" "$w_ms" "$w_kb" "$d_ms"
done

col() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
e_ms=$(col 1) e_kb=$(col 2) c_ms=$(col 3) c_kb=$(col 4) w_ms=$(col 5) w_kb=$(col 6) d_ms=$(col 7)
awk -v e="$e_ms" -v ek="$e_kb" -v c="$c_ms" -v ck="$c_kb" -v w="$w_ms" -v wk="$w_kb" \
  -v d="$d_ms" -v n="$pin_count" -v runs="$runs" 'BEGIN {
  printf "Restore of %d pins, medians of %d rounds\n", n, runs
  printf "  empty launch      %8.1f ms  peak %7.1f MB\n", e, ek / 1024
  printf "  cold restore      %8.1f ms  peak %7.1f MB\n", c, ck / 1024
  printf "  warm restore      %8.1f ms  peak %7.1f MB\n", w, wk / 1024
  printf "  djpeg/dwebp       %8.1f ms\n", d
  printf "  warm beyond empty %8.1f ms per pin           (target <= 15)\n", (w - e) / n
  printf "  cold / (empty + decoders) %.2f                (target <= 1.3)\n", c / (e + d)
  printf "  cold memory beyond empty  %.1f MB           (target <= 80)\n", (ck - ek) / 1024
  printf "  warm memory beyond empty  %.1f MB           (target <= 40)\n", (wk - ek) / 1024
}'
