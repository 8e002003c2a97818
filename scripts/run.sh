#!/bin/sh
# Sets up the machine, builds KARWEN and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh release karwen
exec ./build/release/src/app/karwen "$@"
