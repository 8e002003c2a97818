#!/bin/sh
# Times JPEG decoding alone on one thread and on two (the floor), then
# karwen-cli on 40 real 5-Mpx photos (2560 x 1920) converted to 512 x 512,
# decoded at a scale (--decode auto) and in full, with one job and with
# two, each against the floor, and one ffmpeg process per photo on the same
# photos for comparison; then karwen-cli measure on the same photos,
# through one circle and through each photo's own, with one job and with
# two, what saving the sky images adds (--save-classified), each stage of
# one photo's conversion and measurement (bench/stage_profile.cpp), and the
# EXIF read the metadata columns add per photo. The
# photos are copies, made at run time in
# a temporary folder, of the two 2560 x 1920 photos in ../shared/data/real
# (see SOURCES.md there); they are never copied into the repository.
# Not a test: the figures depend on the machine and on what else runs.
set -eu
cd "$(dirname "$0")/.."
real="../shared/data/real"
photos="broadleaf_dusk_fce9.jpg mixed_sunlit_fce9.jpg"
for p in $photos; do
  if [ ! -f "$real/$p" ]; then
    echo "bench_cli: $real/$p is not there; this benchmark needs the shared real photos. Stopping." >&2
    exit 1
  fi
done

./scripts/setup.sh
if ! command -v ffmpeg >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends ffmpeg
fi
# BENCH_CLI, when set, names another karwen-cli to time (say, an earlier
# build, to compare with); otherwise this tree's is built.
if [ -z "${BENCH_CLI:-}" ]; then
  ./scripts/build.sh release karwen-cli
fi
./scripts/build.sh profile decode_floor
cli="${BENCH_CLI:-$PWD/build/release/src/main/karwen-cli}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
i=0
while [ "$i" -lt 20 ]; do
  for p in $photos; do cp "$real/$p" "$work/in/$i-$p"; done
  i=$((i + 1))
done
count=$(ls "$work/in" | wc -l)

now() { date +%s%N; }
# ms per photo for a run that took from $1 to $2 nanoseconds.
per_photo() { echo "$1 $2 $count" | awk '{ printf "%.2f", ($2 - $1) / 1e6 / $3 }'; }
# Runs the command given 3 times (each time into an empty $work/out, made
# anew, so that no run finds the results or the CSV of the one before) and
# prints the median time in ms per photo: on a shared machine single runs
# of a fraction of a second scatter by a tenth either way.
median_ms() {
  times=""
  for run in 1 2 3; do
    rm -rf "$work/out"
    mkdir "$work/out"
    start=$(now)
    "$@"
    end=$(now)
    times="$times $(per_photo "$start" "$end")"
  done
  echo "$times" | tr ' ' '\n' | sed '/^$/d' | sort -n | sed -n 2p
}

# Decoding alone, at the same moment: what one and two cores of this
# machine can do at best (a shared virtual machine may give two threads
# less than twice what it gives one). Every figure below is also given as
# a ratio to it: -j 1 to one thread's, -j 2 to two threads'.
set -- $(./build/profile/bench/decode_floor "$work/in"/*.jpg)
floor1=$1
floor2=$2
echo "JPEG decoding alone (full scale): $floor1 ms per photo on one thread, $floor2 ms on two"
# "NAME MS JOBS": the line of one timed run, with its ratio to the floor.
report() {
  awk -v name="$1" -v ms="$2" -v jobs="$3" -v f1="$floor1" -v f2="$floor2" 'BEGIN {
    f = (jobs == 1) ? f1 : f2
    printf "  %-34s %6.2f ms per photo, %.2fx the %d-thread floor\n", name, ms, ms / f, jobs
  }'
}

params="--src-projection equidistant --circle 1277,933,782 --dst-projection equisolid --interp bilinear"
echo "karwen-cli convert: $count photos, 2560 x 1920 to 512 x 512, $(nproc) CPUs (median of 3 runs)"
for decode in auto full; do
  for jobs in 1 2; do
    # shellcheck disable=SC2086
    ms=$(median_ms "$cli" convert -q -j "$jobs" --decode "$decode" -o "$work/out" $params "$work/in")
    eval "ms_${decode}_j$jobs=$ms"
    report "--decode $decode, -j $jobs" "$ms" "$jobs"
  done
done

# One job may still use every core it is allowed (the resampler's threads,
# the save beside the next decode); confined to one core it is the run that
# two jobs on two cores should halve.
# shellcheck disable=SC2086
ms_one=$(median_ms taskset -c 0 "$cli" convert -q -j 1 --decode full -o "$work/out" $params "$work/in")
echo "  --decode full, -j 1 on one core (taskset -c 0): $ms_one ms per photo"

rm -rf "$work/ff" && mkdir "$work/ff"
start=$(now)
for f in "$work/in"/*.jpg; do
  ffmpeg -loglevel error -y -i "$f" -vf "crop=1564:1564:495:205,v360=input=fisheye:ih_fov=180:iv_fov=180:output=equisolid:d_fov=180:w=512:h=512:interp=linear" \
    "$work/ff/$(basename "$f" .jpg).jpg"
done
end=$(now)
ms_ff=$(per_photo "$start" "$end")
echo "ffmpeg, one process per photo: $ms_ff ms per photo"

echo "$ms_full_j1 $ms_full_j2 $ms_ff $ms_one $floor1 $floor2 $ms_auto_j2" | awk '{
  printf "--decode full: -j 2 is %.2fx as fast as -j 1 (target: at least 1.8x)\n", $1 / $2
  printf "--decode full: -j 2 is %.2fx as fast as -j 1 on one core\n", $4 / $2
  printf "--decode auto: -j 2 is %.1fx as fast as ffmpeg per photo (target: at least 15x)\n", $3 / $7
  printf "--decode auto: -j 2 takes %.2fx the two-thread floor (target: at most 1.0x, goal 0.9x)\n", $7 / $6
}'

echo "karwen-cli measure: $count photos, the default canopy settings (median of 3 runs; always decoded in full)"
for circle in "--circle 1277,933,782" "--detect-circle"; do
  for jobs in 1 2; do
    # shellcheck disable=SC2086
    ms=$(median_ms "$cli" measure -q -j "$jobs" --csv "$work/out/m.csv" $circle "$work/in")
    report "$circle, -j $jobs" "$ms" "$jobs"
    if [ "$circle" = "--circle 1277,933,782" ] && [ "$jobs" -eq 2 ]; then ms_measure_j2=$ms; fi
  done
done
echo "$ms_measure_j2 $floor2" | awk '{
  printf "--circle: -j 2 takes %.2fx the two-thread floor (target: at most 1.3x, goal 1.1x)\n", $1 / $2
}'

# What the sky images add: the same run with --save-classified, against the
# one without it, through the fixed circle.
for jobs in 1 2; do
  plain=$(median_ms "$cli" measure -q -j "$jobs" --csv "$work/out/m.csv" --circle 1277,933,782 "$work/in")
  sky=$(median_ms "$cli" measure -q -j "$jobs" --csv "$work/out/m.csv" --circle 1277,933,782 \
    --save-classified "$work/out/sky" "$work/in")
  echo "$plain $sky $jobs" | awk '{ printf "  --save-classified, -j %d: %.2f ms per photo, %.2f ms more than without (aim: at most 15 ms)\n", $3, $2, $2 - $1 }'
done

# Where each photo's time goes, stage by stage on one thread.
./scripts/build.sh release stage_profile >/dev/null
./build/release/bench/stage_profile "$real/broadleaf_dusk_fce9.jpg" "$real/mixed_sunlit_fce9.jpg"

# measure always writes the metadata columns, so their cost is timed
# alone: the EXIF read of one 5-Mpx photo (bench/metadata_bench.cpp).
./scripts/build.sh release metadata_bench >/dev/null
us=$(./build/release/bench/metadata_bench --benchmark_format=csv 2>/dev/null | awk -F, '/BM_ReadPhotoMetadata/ { print $3 }')
echo "  the metadata columns add $us us per 5-Mpx photo (its EXIF read alone)"

# Peak memory of one job (-j 1) on one photo, as /usr/bin/time -v gives it
# ("Maximum resident set size"): a 5-Mpx photo as it is and the same photo
# scaled to 26 Mpx (6240 x 4160, as a 26-Mpx camera takes it), each converted
# to 512 x 512 and measured, both through each photo's own circle.
if [ -x /usr/bin/time ]; then
  mkdir "$work/one" "$work/big"
  cp "$real/broadleaf_dusk_fce9.jpg" "$work/one/5mpx.jpg"
  ffmpeg -loglevel error -y -i "$real/broadleaf_dusk_fce9.jpg" -vf scale=6240:4160 -q:v 2 "$work/big/26mpx.jpg"
  peak_mib() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }'
  }
  echo "peak memory of one job (-j 1, one photo, /usr/bin/time -v):"
  for photo in "$work/one/5mpx.jpg" "$work/big/26mpx.jpg"; do
    rm -rf "$work/out" "$work/out.csv"
    conv=$(peak_mib "$cli" convert -q -j 1 -o "$work/out" --detect-circle --dst-projection equisolid \
      --interp bilinear "$photo")
    meas=$(peak_mib "$cli" measure -q -j 1 --csv "$work/out.csv" "$photo")
    echo "  $(basename "$photo" .jpg): convert to 512 x 512 $conv MiB, measure $meas MiB"
  done
else
  echo "peak memory: /usr/bin/time is not there (apt-get install time)"
fi
