#!/bin/sh
# Builds the fuzz preset (the two fuzzers only) and runs each fuzzer for a
# while on a copy of its committed seed corpus, fuzz/corpus/<format>, so
# that a run never writes into the repository: scripts/fuzz.sh [seconds per
# fuzzer, default 30]. A crash, a sanitizer report or a leak stops it with
# the fuzzer's report and a failure; the input that failed is kept in
# build/fuzz/artifacts.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-30}"
./scripts/build.sh fuzz
mkdir -p build/fuzz/artifacts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for format in bmp jpeg; do
  mkdir "$work/$format"
  cp fuzz/corpus/"$format"/* "$work/$format/"
  echo "== ${format}_fuzzer, $seconds s"
  ./build/fuzz/fuzz/"${format}_fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/artifacts/ "$work/$format" 2>"$work/$format.log" || {
    tail -n 60 "$work/$format.log" >&2
    echo "fuzz: ${format}_fuzzer failed; the input is in build/fuzz/artifacts" >&2
    exit 1
  }
  grep -E "^stat::number_of_executed_units|^Done" "$work/$format.log" || true
done
