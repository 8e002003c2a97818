#!/bin/sh
# Sets up the machine, checks the layout of the sources, then builds and
# runs every test: once optimised (the benchmark programs are built there
# too, not run), once under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the tests of the
# threaded code (command line, whose child runs measure with canopy caches
# shared by its workers, thread pool, batch, file appends) under
# ThreadSanitizer; then runs each fuzzer for 30 s on its seed corpus. Each
# step prints its time.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
echo "== format"
./scripts/format_check.sh
step_start=$(date +%s)
step_done() { echo "== $1 took $(( $(date +%s) - step_start )) s"; step_start=$(date +%s); }
for preset in release asan tsan; do
  echo "== $preset"
  ./scripts/build.sh "$preset"
  ctest --preset "$preset" -j2
  step_done "$preset"
done
echo "== fuzz"
./scripts/fuzz.sh 30
step_done fuzz
