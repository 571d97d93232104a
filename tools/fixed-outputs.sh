#!/usr/bin/env bash
# What a build writes for a fixed set of inputs: generated stores of each format and two
# seeds, and their PST, EML and mbox exports under a fixed clock. For changes that must not
# change any output: write the set with the build before and after, and compare the two
# with tools/same-outputs.py.
#   tools/fixed-outputs.sh BUILD_DIR OUT_DIR
# Needs faketime (Debian package faketime) for the fixed clock of the exports.
set -euo pipefail
BUILD=$(cd "${1:?usage: fixed-outputs.sh BUILD_DIR OUT_DIR}" && pwd)
OUT=${2:?usage: fixed-outputs.sh BUILD_DIR OUT_DIR}
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
TARNWICK="$BUILD/tarnwick"
mkdir -p "$OUT"
cd "$OUT"
for format in 4k 8k 32k; do
  for seed in 1 7; do
    store="$format-seed$seed"
    "$STOREGEN" --format "$format" --seed "$seed" --out "$store" >/dev/null 2>&1
    stm=()
    [ -f "$store/store.stm" ] && stm=(--stm "$store/store.stm")
    for out in pst eml mbox; do
      mkdir -p "$store-$out"
      TZ=UTC faketime -f '2026-01-02 03:04:05' \
        "$TARNWICK" export "$store/store.edb" "${stm[@]}" --out "$store-$out" --all --yes --format "$out" \
        >"$store-$out.console" 2>&1 || echo "exit $?" >>"$store-$out.console"
    done
  done
done
