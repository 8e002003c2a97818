#!/bin/sh
# Sets up the machine, builds the benchmarks and runs them:
# scripts/bench.sh [google-benchmark flags, e.g. --benchmark_filter=Deform]
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh profile karwen_bench
exec ./build/profile/bench/karwen_bench "$@"
