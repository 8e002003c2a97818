#!/bin/sh
# Sets up the machine, builds every benchmark program and runs the imaging
# and the canopy benchmarks: scripts/bench.sh [google-benchmark flags, e.g.
# --benchmark_filter=Deform]. The GUI timings are in the same folder:
#   build/profile/bench/drag_release_timing        (circle drag, 4000 x 4000)
#   build/profile/bench/batch_gui_run <in> <out>   (batch, file by file)
# Both need a display (xvfb-run -a, or QT_QPA_PLATFORM=offscreen).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh profile benchmarks
./build/profile/bench/karwen_bench "$@"
exec ./build/profile/bench/canopy_bench "$@"
