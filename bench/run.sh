#!/usr/bin/env bash
# Runs the benchmarks. Each prints its figures against a reference tool run on the same
# input in the same run (absolute times drift on shared machines; the ratios are the result).
#   bench/run.sh BUILD_DIR [NAME...]     NAME: pst scan (default: all that exist)
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd); shift || true
HERE=$(cd "$(dirname "$0")" && pwd)
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$HERE"/*.sh; do
    n=$(basename "$f" .sh); [ "$n" = run ] || [ "$n" = common ] || names+=("$n")
  done
fi
for n in "${names[@]}"; do
  [ -x "$HERE/$n.sh" ] || { echo "no benchmark '$n'" >&2; exit 2; }
  echo "== bench $n"
  "$HERE/$n.sh" "$BUILD"
done
