#!/usr/bin/env bash
# The demo: the main job on sample stores written here.
set -euo pipefail
BUILD=${1:-build}
"$BUILD/tarnwick" --version
for format in 4k 8k 32k; do
  out="$BUILD/demo/$format"
  rm -rf "$out"
  "$BUILD/tools/storegen/tarnwick-storegen" --format "$format" --seed 1 --out "$out"
  "$BUILD/tarnwick" info "$out/store.edb"
done
