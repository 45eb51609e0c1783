#!/usr/bin/env bash
# Black-box launch benchmark. Temporary data folders hold: no pins; 21 pins whose copies are
# 6000 x 4000 JPEGs (half of them progressive) and one 4096 x 4096 WebP; one 200-megapixel
# baseline JPEG (16320 x 12240); one hostile copy each, a 9000 x 9000 progressive JPEG and a
# 7000 x 7000 GIF; one 12-megapixel HEIC (4032 x 3024, with a 320 x 240 thumbnail, as phones write
# it) and one 12-megapixel JPEG with a Display P3 profile. The program starts on the offscreen platform; the time to the last line that
# ends a record ("Window restored successfully" or "ERROR: failed to load image") and the peak
# memory (/usr/bin/time -v) are measured cold (no previews) and warm, the 21 pins with one
# decoding worker (the process pinned to one core with taskset) and with all cores, beside
# djpeg -scale 1/8 and dwebp over the same files one after another, all in the same rounds.
# Medians of RUNS rounds (5). BEFORE=/path/to/another/corkwallery measures that binary too, in
# the same rounds, in a column of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/corkwallery"
before=${BEFORE:-}
runs=${RUNS:-5}
data="$root/build/bench/restore-photos"  # generated once, kept between runs
large="$root/build/bench/large-photos"   # likewise
modern="$root/build/bench/phone-photos"  # likewise
make_large_jpeg="$root/build/bench/make_large_jpeg"
make_p3_profile="$root/build/bench/make_p3_profile"

for tool in convert cjpeg djpeg cwebp dwebp heif-enc taskset nproc /usr/bin/time "$make_large_jpeg" \
  "$make_p3_profile"; do
  command -v "$tool" >/dev/null || { echo "restore-bench: $tool is missing" >&2; exit 1; }
done
[[ -z "$before" || -x "$before" ]] || { echo "restore-bench: $before is no program" >&2; exit 1; }

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
# The large ones are written row by row; ImageMagick's pixel cache for the GIF stays on disk.
make_large_photos() {
  local tmp="$large.tmp"
  rm -rf "$tmp" && mkdir -p "$tmp"
  "$make_large_jpeg" "$tmp/camera-200mp.jpg" 16320 12240
  "$make_large_jpeg" "$tmp/hostile-progressive.jpg" 9000 9000 progressive
  convert -limit memory 64MiB -limit map 128MiB -size 7000x7000 pattern:checkerboard \
    "$tmp/hostile.gif"
  mv "$tmp" "$large"
}
# What phones write: HEIC, and JPEG in Display P3.
make_phone_photos() {
  local tmp="$modern.tmp"
  rm -rf "$tmp" && mkdir -p "$tmp"
  convert -seed 4 -size 504x378 plasma:fractal -resize '4032x3024!' -attenuate 0.4 \
    +noise Gaussian PNG24:"$tmp/base.png"  # 8 bits, as phones write HEIC
  heif-enc -q 80 -t 320 "$tmp/base.png" -o "$tmp/camera-12mp.heic" >/dev/null
  "$make_p3_profile" "$tmp/p3.icc"
  convert "$tmp/base.png" -profile "$tmp/p3.icc" -quality 90 -sampling-factor 2x2 \
    "$tmp/camera-p3.jpg"
  rm -f "$tmp/base.png" "$tmp/p3.icc"
  mv "$tmp" "$modern"
}
[[ -f "$data/square.webp" ]] || { echo "restore-bench: generating photos (once)"; make_photos; }
[[ -f "$large/hostile.gif" ]] || { echo "restore-bench: generating large photos (once)"; make_large_photos; }
[[ -f "$modern/camera-p3.jpg" ]] || { echo "restore-bench: generating phone photos (once)"; make_phone_photos; }

# The data folders live in memory (BENCH_TMPDIR overrides): every restored pin rewrites the state
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

# A data folder with a pin for each file given; the user has pinned before, so a launch without
# pins shows no welcome card. The state file is kept aside: a refused copy's record is dropped.
setup_home() {
  local home=$1 i=0 name f
  shift
  mkdir -p "$home/data/Corkwallery/images" "$home/config/Corkwallery" "$home/cache"
  printf '[General]\nhasAddedFirstPhoto=true\n' >"$home/config/Corkwallery/Corkwallery.conf"
  local records=()
  for f in "$@"; do
    name="00000000-0000-0000-0000-$(printf '%012d' "$i")-$(basename "$f")"
    cp "$f" "$home/data/Corkwallery/images/$name"
    records+=("{\"storedFilename\":\"$name\",\"originalPath\":\"\\/tmp\\/$(basename "$f")\",\"centerX\":$((200 + i * 40)),\"centerY\":$((300 + i * 20)),\"baseWidth\":300,\"baseHeight\":200,\"rotationAngle\":0.05,\"pinColorName\":\"red\",\"isLocked\":false}")
    i=$((i + 1))
  done
  (IFS=,; printf '[%s]' "${records[*]}") >"$home/state.json"
}
setup_home "$work/empty"
setup_home "$work/pins" "$data"/baseline-*.jpg "$data"/progressive-*.jpg "$data/square.webp"
setup_home "$work/camera" "$large/camera-200mp.jpg"
setup_home "$work/adding"
setup_home "$work/progressive" "$large/hostile-progressive.jpg"
setup_home "$work/gif" "$large/hostile.gif"
setup_home "$work/heic" "$modern/camera-12mp.heic"
setup_home "$work/p3" "$modern/camera-p3.jpg"
pin_count=$(ls "$work/pins/data/Corkwallery/images" | wc -l)
cores=$(nproc)
one_core=$(taskset -cp $$ | sed 's/.*: //; s/[-,].*//')

# Starts `program` in a home (cold: without previews; on one core or all) until `wanted` records
# are ended, and prints "<milliseconds> <peak KB> <shown|refused>". `wanted` "add:<file>" gives
# the file on the command line, as chosen in "Add Photo", and waits until it is pinned (its copy
# made and saved) or refused.
launch() {
  local program=$1 home=$2 wanted=$3 temperature=$4 cores_used=$5 seen=0 start end line
  local report="$work/time.txt" outcome=shown args=()
  if [[ "$wanted" == add:* ]]; then
    args=("${wanted#add:}")
    wanted=1
  fi
  cp "$home/state.json" "$home/data/Corkwallery/pinned-photos.json"
  [[ "$temperature" == cold ]] && rm -rf "$home/cache/Corkwallery"
  local pin=(taskset -c "$one_core")
  [[ "$cores_used" == all ]] && pin=()
  start=$EPOCHREALTIME
  coproc APP {
    exec env -i PATH="$PATH" HOME="$home" XDG_DATA_HOME="$home/data" \
      XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$work" \
      QT_QPA_PLATFORM=offscreen "${pin[@]}" /usr/bin/time -v -o "$report" "$program" "${args[@]}" \
      2>/dev/null
  }
  local time_pid=$APP_PID
  if [[ $wanted -eq 0 ]]; then
    while IFS= read -r line <&"${APP[0]}" && [[ "$line" != *"state(s) to restore"* ]]; do :; done
  else
    while IFS= read -r line <&"${APP[0]}"; do
      [[ "$line" == *"ERROR: failed to load image"* ]] && outcome=refused
      if [[ "$line" == *"Window restored successfully"* || "$line" == *"ERROR: failed to load image"* ||
        (${#args[@]} -gt 0 && "$line" == *"saveState() called"*) ]]; then
        seen=$((seen + 1))
        [[ $seen -ge $wanted ]] && break
      fi
    done
  fi
  end=$EPOCHREALTIME
  app_pid=$(pgrep -P "$time_pid" || true)
  [[ -n "$app_pid" ]] && kill -TERM "$app_pid"
  wait "$time_pid" 2>/dev/null || true
  app_pid=""
  [[ $seen -ge $wanted ]] || { echo "restore-bench: saw $seen of $wanted records" >&2; exit 1; }
  # An added photo's copy goes, so that every round adds it anew.
  [[ ${#args[@]} -gt 0 ]] && rm -f "$home/data/Corkwallery/images"/*
  local kb
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$report")
  awk -v s="$start" -v e="$end" -v kb="$kb" -v o="$outcome" \
    'BEGIN { printf "%.1f %d %s\n", (e - s) * 1000, kb, o }'
}

# The reference decoders over the same files, one after another, in milliseconds.
decoders() {
  local start end f
  start=$EPOCHREALTIME
  for f in "$data"/*.jpg; do djpeg -scale 1/8 "$f" >/dev/null; done
  dwebp -quiet -ppm "$data/square.webp" -o /dev/null
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }'
}

# The cases in order: label, home, records, temperature, cores.
cases=(
  "empty launch|empty|0|cold|all"
  "$pin_count photos cold, 1 worker|pins|$pin_count|cold|one"
  "$pin_count photos warm, 1 worker|pins|$pin_count|warm|one"
  "$pin_count photos cold, $cores workers|pins|$pin_count|cold|all"
  "$pin_count photos warm, $cores workers|pins|$pin_count|warm|all"
  "200 MP JPEG cold|camera|1|cold|all"
  "200 MP JPEG warm|camera|1|warm|all"
  "200 MP JPEG added (chosen to shown)|adding|add:$large/camera-200mp.jpg|cold|all"
  "9000x9000 progressive JPEG|progressive|1|cold|all"
  "7000x7000 GIF|gif|1|cold|all"
  "12 MP HEIC cold|heic|1|cold|all"
  "12 MP HEIC warm|heic|1|warm|all"
  "12 MP Display P3 JPEG cold|p3|1|cold|all"
  "12 MP Display P3 JPEG warm|p3|1|warm|all"
)
programs=("$bin")
[[ -n "$before" ]] && programs+=("$before")

for program in "${programs[@]}"; do launch "$program" "$work/empty" 0 cold all >/dev/null; done
: >"$work/rounds"
for round in $(seq 1 "$runs"); do
  for p in "${!programs[@]}"; do
    for c in "${!cases[@]}"; do
      IFS='|' read -r label home records temperature cores_used <<<"${cases[$c]}"
      read -r ms kb outcome < <(launch "${programs[$p]}" "$work/$home" "$records" \
        "$temperature" "$cores_used")
      echo "$p $c $ms $kb $outcome" >>"$work/rounds"
    done
  done
  echo "-1 0 $(decoders) 0 -" >>"$work/rounds"
  echo "  round $round done"
done

# Per program and case: median milliseconds, median peak MB, and the last outcome.
summary() {
  awk -v p="$1" -v c="$2" 'BEGIN { n = 0 } $1 == p && $2 == c { ms[n] = $3; kb[n] = $4; o = $5; n++ }
    function median(a, n,   i, j, t) {
      for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      return n % 2 ? a[(n - 1) / 2] : (a[n / 2 - 1] + a[n / 2]) / 2
    }
    END { printf "%.1f %.1f %s\n", median(ms, n), median(kb, n) / 1024, o }' "$work/rounds"
}

echo "Launch benchmark on $cores cores, medians of $runs rounds; peak memory is the whole process"
header=$(printf '  %-34s %9s %8s %-8s' "" "ms" "MB" "")
[[ -n "$before" ]] && header+=$(printf ' | %9s %8s %-8s' "before ms" "MB" "")
echo "$header"
declare -A ms mb outcome
for c in "${!cases[@]}"; do
  IFS='|' read -r label _ <<<"${cases[$c]}"
  line=$(printf '  %-34s' "$label")
  for p in "${!programs[@]}"; do
    read -r m b o < <(summary "$p" "$c")
    ms[$p,$c]=$m mb[$p,$c]=$b outcome[$p,$c]=$o
    [[ $p -gt 0 ]] && line+=" |"
    line+=$(printf ' %9.1f %8.1f %-8s' "$m" "$b" "$( ((c >= 5)) && echo "$o")")
  done
  echo "$line"
done
read -r floor _ < <(summary -1 0)
printf '  %-34s %9.1f\n' "decoder floor (djpeg 1/8, dwebp)" "$floor"
echo "  (\"added\": the file given on the command line, as \"Add Photo\" takes it: decoded, copied into"
echo "   the images folder, shown and saved; \"cold\"/\"warm\": a launch restoring its copy)"

for p in "${!programs[@]}"; do
  [[ $p -eq 0 ]] && echo "Targets" || echo "Targets, before"
  awk -v e="${ms[$p,0]}" -v em="${mb[$p,0]}" -v cn="${ms[$p,3]}" -v cm="${mb[$p,3]}" \
    -v wn="${ms[$p,4]}" -v bc="${ms[$p,7]}" -v bm="${mb[$p,7]}" -v pc="${ms[$p,8]}" \
    -v pm="${mb[$p,8]}" -v gc="${ms[$p,9]}" -v gm="${mb[$p,9]}" -v f="$floor" -v n="$pin_count" \
    -v bo="${outcome[$p,7]}" -v po="${outcome[$p,8]}" -v go="${outcome[$p,9]}" \
    -v hc="${ms[$p,10]}" -v hm="${mb[$p,10]}" -v hw="${ms[$p,11]}" -v ho="${outcome[$p,10]}" 'BEGIN {
    printf "  cold, all cores / (empty + floor)   %8.2f     (<= 0.7)\n", cn / (e + f)
    printf "  warm beyond empty, per pin          %8.1f ms  (<= 15)\n", (wn - e) / n
    printf "  cold memory beyond empty            %8.1f MB  (<= 80)\n", cm - em
    printf "  200 MP %-7s beyond empty         %8.1f ms  (<= 1500) %6.1f MB (<= 150)\n", bo, bc - e, bm - em
    printf "  progressive %-7s beyond empty    %8.1f ms  (<= 1000) %6.1f MB (<= 200)\n", po, pc - e, pm - em
    printf "  GIF %-7s beyond empty            %8.1f ms  (<= 1000) %6.1f MB (<= 200)\n", go, gc - e, gm - em
    printf "  HEIC %-7s cold beyond empty      %8.1f ms  (<= 1500) %6.1f MB (<= 200)\n", ho, hc - e, hm - em
    printf "  HEIC warm beyond empty              %8.1f ms  (<= 50)\n", hw - e
  }'
done
