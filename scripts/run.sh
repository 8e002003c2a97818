#!/bin/sh
# Sets up the machine, builds KARWEN and starts it: on the photos named, or
# on the shipped sample photo when none is named, so that there is something
# to look at straight away.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/setup.sh
./scripts/build.sh release karwen
if [ "$#" -eq 0 ]; then
  set -- "$root/samples/allsky_day.jpg"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # A machine without a desktop session: run on a virtual screen so that the
  # program still starts (for screenshots, use xwd/import on that display).
  echo "No display found: starting KARWEN on a virtual X display (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" ./build/release/src/main/karwen "$@"
fi
exec ./build/release/src/main/karwen "$@"
