#!/bin/sh
# RixSDeform against OpenCV's cv::remap (bench/remap_compare_bench.cpp): a
# 4000 x 4000 fisheye source to a 2048 x 2048 perspective view (proj 4) and
# to an equidistant fisheye (proj 1), nearest, bilinear and cubic, on two
# threads. cv::remap gets its best case, maps ready beforehand, as float
# maps and in its fixed-point form; RixSDeform works its geometry out in
# every call, with a fixed view (mode 0) and with the view angle changing
# between calls as while dragging (mode 1). Single runs move by a third on
# a shared machine, so every case runs 5 times, the cases interleaved in a
# random order, and the table gives the medians and, for each RixSDeform
# mode, its ratio to the faster of cv::remap's two map forms. Installs
# Debian's libopencv-dev for it (only this benchmark needs OpenCV).
# Not a test: the figures depend on the machine and on what else runs.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
if ! dpkg-query -W -f='${Status}' libopencv-dev 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends libopencv-dev
fi
./scripts/build.sh profile remap_compare_bench

./build/profile/bench/remap_compare_bench --benchmark_filter='threads:2' --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null | awk -F, '
  # "cvRemap/proj:4/interp:0/mode:1/threads:2/real_time_median",5,9.2,...
  $1 ~ /_median"$/ {
    gsub(/"/, "", $1)
    split($1, part, "/")
    key = part[2] "/" part[3]
    mode = substr(part[4], 6)
    if (part[1] == "cvRemap") cv[key, mode] = $3; else rix[key, mode] = $3
    keys[key] = 1
  }
  END {
    name[0] = "nearest"; name[1] = "bilinear"; name[2] = "cubic"
    printf "%-22s %9s %9s %9s %9s %7s %7s\n", "case (2 threads)", "cv float", "cv fixed", "rix", "rix drag", "ratio", "drag"
    for (p = 4; p >= 1; p -= 3)
      for (i = 0; i < 3; ++i) {
        key = "proj:" p "/interp:" i
        if (!(key in keys)) continue
        best = cv[key, 0] < cv[key, 1] ? cv[key, 0] : cv[key, 1]
        printf "%-22s %9.2f %9.2f %9.2f %9.2f %6.2fx %6.2fx\n", (p == 4 ? "perspective " : "fisheye ") name[i], \
          cv[key, 0], cv[key, 1], rix[key, 0], rix[key, 1], rix[key, 0] / best, rix[key, 1] / best
      }
    print "ms per 2048 x 2048 result, medians of 5 interleaved runs; ratio: RixSDeform / the faster cv::remap"
  }'
