#!/bin/sh
# Configures and builds one preset: scripts/build.sh <preset> [targets...]
set -eu
cd "$(dirname "$0")/.."
preset="$1"; shift
cmake --preset "$preset" >/dev/null
if [ "$#" -gt 0 ]; then
  cmake --build --preset "$preset" --target "$@"
else
  cmake --build --preset "$preset"
fi
