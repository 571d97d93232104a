#!/usr/bin/env bash
# Scan speed: generated stores of 0.5, 1 and 2 GB in each format, each scan against reading
# the same file once with cat (the page cache is dropped by neither, so both read the file
# as the previous step left it: the cat runs first and warms it for the scan).
set -euo pipefail
BUILD=$1
. "$(dirname "$0")/common.sh"
TARNWICK="$BUILD/tarnwick"
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
SIZES=${SCAN_BENCH_SIZES:-"512M 1G 2G"}

read_once() { cat "$1" > /dev/null; }
scan_once() { "$TARNWICK" scan "$1" > /dev/null 2>&1; }

printf '%-6s %-5s %9s %9s %9s %9s %10s\n' format size "MB" "cat s" "scan s" "scan/cat" "scan s/GB"
for format in 4k 8k 32k; do
  for size in $SIZES; do
    out="$BENCH_DIR/$format-$size"
    "$STOREGEN" --format "$format" --fill "$size" --out "$out" > /dev/null 2>&1
    store="$out/store.edb"
    bytes=$(stat -c %s "$store")
    t_cat=$(seconds read_once "$store")
    t_scan=$(seconds scan_once "$store")
    printf '%-6s %-5s %9s %9.2f %9.2f %9s %10.2f\n' "$format" "$size" "$(mb "$bytes")" "$t_cat" "$t_scan" \
      "$(ratio "$t_scan" "$t_cat")" "$(echo "$t_scan * 1073741824 / $bytes" | bc -l)"
    rm -rf "$out"
  done
done
