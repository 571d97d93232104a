#!/usr/bin/env bash
# Message-list speed: the largest folder of a 2 GB store of each format shown in the list
# the first and the second time in one session (tarnwick-listbench: the loader and the rows,
# as the desktop fills its list), against reading the pages those rows need once (the
# message tables' pages and the folder's header pages, read with pread in the same process,
# from the same warm page cache). The second showing must not read the message tables again.
set -euo pipefail
BUILD=$1
. "$(dirname "$0")/common.sh"
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
LISTBENCH="$BUILD/bench/tarnwick-listbench"
SIZE=${LIST_BENCH_SIZE:-2G}

field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

printf '%-6s %-5s %8s %8s %7s %9s %9s %9s %9s %10s %10s\n' format size headers rows pages \
  "read s" "first s" "second s" "first/rd" "second/rd" "2nd pages"
for format in 4k 8k 32k; do
  out="$BENCH_DIR/$format"
  "$STOREGEN" --format "$format" --fill "$SIZE" --out "$out" > /dev/null 2>&1
  stm=()
  [ -f "$out/store.stm" ] && stm=(--stm "$out/store.stm")
  line=$("$LISTBENCH" "$out/store.edb" "${stm[@]}" 2>/dev/null)
  read_s=$(field read_s "$line"); [ "$(echo "$read_s < 0.0001" | bc -l)" = 1 ] && read_s=0.0001; first_s=$(field first_s "$line"); second_s=$(field second_s "$line")
  printf '%-6s %-5s %8s %8s %7s %9.4f %9.4f %9.4f %9s %10s %10s\n' "$format" "$SIZE" "$(field headers "$line")" \
    "$(field rows "$line")" "$(field pages "$line")" "$read_s" "$first_s" "$second_s" \
    "$(ratio "$first_s" "$read_s")" "$(ratio "$second_s" "$read_s")" "$(field second_pages "$line")"
  rm -rf "$out"
done
