#!/bin/sh
# Makes the README's picture, docs/screenshot.png: the main window on the
# shipped sample photo (or the photo named), its conversion and painted
# dots, drawn on a virtual X display and scaled down to 1000 pixels wide.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/setup.sh
./scripts/build.sh release karwen_screenshots
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
xvfb-run -a -s "-screen 0 1600x1000x24" ./build/release/tests/manual/karwen_screenshots "$shots" \
  "${1:-$root/samples/allsky_day.jpg}"
mkdir -p docs
# The frame's empty lower part is cut off; 256 colours keep the file small.
convert "$shots/readme.png" -crop 1280x600+0+0 +repage -resize 1000x -colors 256 -strip docs/screenshot.png
echo "docs/screenshot.png written"
