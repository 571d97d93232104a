#!/usr/bin/env bash
# PST writing speed: 100,000 small messages, then 2 GB of attachment data, each against
# copying a file of the same size with cp (and a sync, as the writer syncs its file).
set -euo pipefail
BUILD=$1
. "$(dirname "$0")/common.sh"
SAMPLE="$BUILD/tools/pstsample/tarnwick-pstsample"

copy_and_sync() { cp "$1" "$2" && sync "$2"; }

run_case() { # label, items, extra options...
  local label=$1 items=$2; shift 2
  local out="$BENCH_DIR/$label.pst" work="$BENCH_DIR/$label-work"
  mkdir -p "$work"
  sync
  local t_write; t_write=$(seconds "$SAMPLE" "$out" --work-dir "$work" "$@")
  local size; size=$(stat -c %s "$out")
  rm -rf "$work"
  local t_copy; t_copy=$(seconds copy_and_sync "$out" "$BENCH_DIR/copy.pst")
  rm -f "$BENCH_DIR/copy.pst"
  printf '%-28s %8s MB  write %7.2f s  %8.1f MB/s  %9.0f items/s   cp %6.2f s   write/cp %s\n' \
    "$label" "$(mb "$size")" "$t_write" "$(echo "$size / 1048576 / $t_write" | bc -l)" \
    "$(echo "$items / $t_write" | bc -l)" "$t_copy" "$(ratio "$t_write" "$t_copy")"
  rm -f "$out"
}

run_case small-messages-100k 100000 --bulk 100000
run_case attachments-2GB 1 --large-attachment 2000000000
