#!/bin/sh
# Sets up the machine, then builds and runs every test: once optimised, once
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the tests of
# the threaded code (command line, thread pool, canopy caches, batch, file
# appends) under ThreadSanitizer; then builds every benchmark program
# without running them, and runs each fuzzer for 30 s on its seed corpus.
# Each step prints its time.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
step_start=$(date +%s)
step_done() { echo "== $1 took $(( $(date +%s) - step_start )) s"; step_start=$(date +%s); }
for preset in release asan tsan; do
  echo "== $preset"
  ./scripts/build.sh "$preset"
  ctest --preset "$preset" -j2
  step_done "$preset"
done
echo "== benchmarks (build only)"
./scripts/build.sh profile benchmarks
step_done benchmarks
echo "== fuzz"
./scripts/fuzz.sh 30
step_done fuzz
# The layout check, once the tree has been formatted:
# ./scripts/format_check.sh
