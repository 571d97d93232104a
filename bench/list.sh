#!/usr/bin/env bash
# Message-list speed: the largest folder of a 2 GB store of each format shown in the list
# the first and the second time in one session (tarnwick-listbench: the loader and the rows,
# as the desktop fills its list), against reading the pages those rows need once (the
# message tables' pages and the folder's header pages, read with pread in the same process).
# Every figure is given cold (the store dropped from the page cache just before, with
# posix_fadvise) and warm (the same pages read just before); ratios compare cold with cold
# and warm with warm. The second showing must not read the message tables again.
# Two stores per format: one grown with --fill to LIST_BENCH_SIZE (2G), whose Inbox then
# holds some 16,000-20,000 messages of one shape, and one of LIST_BENCH_SCENARIO (by default
# one folder of 10,000 generated messages of every kind, body form and attachment count; the
# list leaves out those dated outside the years it shows).
set -euo pipefail
BUILD=$1
. "$(dirname "$0")/common.sh"
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
LISTBENCH="$BUILD/bench/tarnwick-listbench"
SIZE=${LIST_BENCH_SIZE:-2G}
SCENARIO=${LIST_BENCH_SCENARIO:-'{"mailboxes": 1, "foldersPerMailbox": 1, "messagesPerFolder": 10000}'}
echo "$SCENARIO" > "$BENCH_DIR/scenario.json"

field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
at_least() { if [ "$(echo "$1 < 0.0001" | bc -l)" = 1 ]; then echo 0.0001; else echo "$1"; fi; }

printf '%-6s %-5s %7s %6s %6s | %8s %8s %8s %9s | %8s %8s %8s %9s %9s | %8s %8s | %6s\n' format size headers rows pages \
  "read s" "first s" "second s" "first/rd" "read s" "first s" "loader s" "first/rd" "second/rd" "1st cpu" "2nd cpu" "2nd pg"
printf '%-6s %-5s %7s %6s %6s | %-37s | %-47s | %-17s |\n' "" "" "" "" "" "cold" "warm" "warm, processor"
run_one() {  # format label generator-options...
  local format=$1 label=$2; shift 2
  local out="$BENCH_DIR/$format"
  "$STOREGEN" --format "$format" "$@" --out "$out" > /dev/null 2>&1
  local stm=()
  [ -f "$out/store.stm" ] && stm=(--stm "$out/store.stm")
  local line read_s first_s second_s read_c first_c second_c
  line=$("$LISTBENCH" "$out/store.edb" "${stm[@]}" 2>/dev/null)
  read_s=$(at_least "$(field read_s "$line")"); read_c=$(at_least "$(field read_cold_s "$line")")
  first_s=$(field first_s "$line"); second_s=$(field second_s "$line")
  first_c=$(field first_cold_s "$line"); second_c=$(field second_cold_s "$line")
  printf '%-6s %-5s %7s %6s %6s | %8.4f %8.4f %8.4f %9s | %8.4f %8.4f %8.4f %9s %9s | %8.4f %8.4f | %6s\n' "$format" "$label" \
    "$(field headers "$line")" "$(field rows "$line")" "$(field pages "$line")" \
    "$read_c" "$first_c" "$second_c" "$(ratio "$first_c" "$read_c")" \
    "$read_s" "$first_s" "$(field first_load_s "$line")" "$(ratio "$first_s" "$read_s")" "$(ratio "$second_s" "$read_s")" \
    "$(field first_cpu_s "$line")" "$(field second_cpu_s "$line")" "$(field second_pages "$line")"
  rm -rf "$out"
}
for format in 4k 8k 32k; do
  run_one "$format" "$SIZE" --fill "$SIZE"
  run_one "$format" "scen" --scenario "$BENCH_DIR/scenario.json"
done
