#!/bin/sh
# Sets up the machine, then builds and runs every test: once optimised, once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
for preset in release asan; do
  echo "== $preset"
  ./scripts/build.sh "$preset"
  ctest --preset "$preset" -j2
done
