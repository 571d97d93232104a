#!/usr/bin/env bash
# The demo: the main job on sample stores written here.
set -euo pipefail
BUILD=${1:-build}
TARNWICK="$BUILD/tarnwick"
STOREGEN="$BUILD/tools/storegen/tarnwick-storegen"
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-demo-XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT

"$TARNWICK" --version

# A small sample store of each format, written by the store generator: two mailboxes with
# the well-known folders and a few nested ones.
echo '{"mailboxes": 2, "foldersPerMailbox": 16, "messagesPerFolder": 3}' > "$SCRATCH/scenario.json"
for format in 4k 8k 32k; do
  "$STOREGEN" --format "$format" --seed 1 --scenario "$SCRATCH/scenario.json" --out "$SCRATCH/$format"
  echo
  echo "\$ tarnwick info $format/store.edb"
  "$TARNWICK" info "$SCRATCH/$format/store.edb"
done
echo
echo "\$ tarnwick info --json 32k/store.edb"
"$TARNWICK" info --json "$SCRATCH/32k/store.edb"

# The scan of each sample store: mailboxes, folders with their kind and message count.
for format in 4k 8k 32k; do
  stm=()
  [ -f "$SCRATCH/$format/store.stm" ] && stm=(--stm "$SCRATCH/$format/store.stm")
  echo
  echo "\$ tarnwick scan $format/store.edb${stm:+ --stm $format/store.stm}"
  "$TARNWICK" scan "$SCRATCH/$format/store.edb" "${stm[@]}" 2>/dev/null
done

# A header giving 16384-byte pages is refused.
python3 - "$SCRATCH/odd.edb" <<'PY'
import struct, sys
data = bytearray(16384 * 3)
data[4:8] = bytes.fromhex("efcdab89")          # ESE signature
struct.pack_into("<I", data, 236, 16384)       # page size
open(sys.argv[1], "wb").write(data)
PY
echo
echo "\$ tarnwick info odd.edb     # a header giving 16384-byte pages"
set +e
"$TARNWICK" info "$SCRATCH/odd.edb"
rc=$?
set -e
echo "exit code $rc"
[ "$rc" -eq 4 ]

# The main job: every folder of the 4 KB store (with its streaming file) and of the 32 KB
# store saved to PST files, one per mailbox, with the save report beside them.
for format in 4k 32k; do
  out="$SCRATCH/pst-$format"
  mkdir -p "$out"
  stm=()
  [ -f "$SCRATCH/$format/store.stm" ] && stm=(--stm "$SCRATCH/$format/store.stm")
  echo
  echo "\$ tarnwick export $format/store.edb${stm:+ --stm $format/store.stm} --all --out pst-$format --yes"
  set +e
  "$TARNWICK" export "$SCRATCH/$format/store.edb" "${stm[@]}" --all --out "$out" --yes 2>/dev/null
  rc=$?
  set -e
  echo "exit code $rc"
  report=$(ls "$out"/TK_Report_*.txt | head -1)
  echo
  echo "\$ head $(basename "$report")"
  sed -n '1,/^$/p' "$report"
  for pst in "$out"/*.pst; do
    echo
    echo "\$ pffinfo '$(basename "$pst")'"
    pffinfo "$pst" || true
  done
done
