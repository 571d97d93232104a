#!/usr/bin/env bash
# Export speed: every folder of a generated store of each format saved to PST, against
# esedbexport -t on the same store and against copying the store file once.
#   EXPORT_BENCH_SIZE (default 2G): the store size given to tarnwick-storegen --fill.
#   ESEDB_TIMEOUT (seconds, default none): esedbexport is stopped after this long; its time
#   is then given as ">N" and the ratio against it as "<R" (an upper bound).
set -euo pipefail
BUILD=$1
. "$(dirname "$0")/common.sh"
TARNWICK="$BUILD/tarnwick"
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
SIZE=${EXPORT_BENCH_SIZE:-2G}

copy_once() { cp "$1" "$BENCH_DIR/copy.edb" && sync "$BENCH_DIR/copy.edb"; rm -f "$BENCH_DIR/copy.edb"; }
export_all() {
  local store=$1 out="$BENCH_DIR/out"
  rm -rf "$out"; mkdir -p "$out"
  local stm=()
  [ -f "${store%.edb}.stm" ] && stm=(--stm "${store%.edb}.stm")
  "$TARNWICK" export "$store" "${stm[@]}" --all --out "$out" --yes --json > "$BENCH_DIR/result.json" 2>/dev/null || true
}
ESEDB_TIMEOUT=${ESEDB_TIMEOUT:-0}
esedb_once() {
  rm -rf "$BENCH_DIR/esedb"*
  timeout "$ESEDB_TIMEOUT" esedbexport -t "$BENCH_DIR/esedb" "$1" > /dev/null 2>&1 || true
  rm -rf "$BENCH_DIR/esedb"*
}

printf '%-6s %9s %9s %9s %11s %9s %12s %12s\n' format "MB" "cp s" "esedb s" "export s" "written" "export/cp" "export/esedb"
for format in 4k 8k 32k; do
  dir="$BENCH_DIR/$format"
  "$STOREGEN" --format "$format" --fill "$SIZE" --out "$dir" > /dev/null 2>&1
  store="$dir/store.edb"
  bytes=$(stat -c %s "$store")
  t_cp=$(seconds copy_once "$store")
  t_esedb=$(seconds esedb_once "$store")
  t_export=$(seconds export_all "$store")
  esedb_shown=$(printf '%.2f' "$t_esedb"); esedb_ratio=$(ratio "$t_export" "$t_esedb")
  if [ "$ESEDB_TIMEOUT" != 0 ] && [ "$(echo "$t_esedb >= $ESEDB_TIMEOUT" | bc -l)" = 1 ]; then
    esedb_shown=">$ESEDB_TIMEOUT"; esedb_ratio="<$esedb_ratio"
  fi
  written=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["totals"]["written"])' "$BENCH_DIR/result.json" 2>/dev/null || echo "?")
  printf '%-6s %9s %9.2f %9s %9.2f %11s %12s %12s\n' "$format" "$(mb "$bytes")" "$t_cp" "$esedb_shown" "$t_export" "$written" \
    "$(ratio "$t_export" "$t_cp")" "$esedb_ratio"
  rm -rf "$dir" "$BENCH_DIR/out"
done
