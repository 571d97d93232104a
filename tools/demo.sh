#!/usr/bin/env bash
# The demo: the main job on sample stores written here.
set -euo pipefail
BUILD=${1:-build}
TARNWICK="$BUILD/tarnwick"
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-demo-XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT

# A small store file: six 4096-byte blocks, the page size at offset 236 of the header.
# (The store generator will replace this with a complete synthetic Exchange store.)
write_store() { # path, page size, blocks
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
path, page_size, blocks = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = bytearray(page_size * blocks)
data[4:8] = bytes.fromhex("efcdab89")          # ESE signature
struct.pack_into("<I", data, 236, page_size)   # page size
open(path, "wb").write(data)
PY
}

"$TARNWICK" --version
write_store "$SCRATCH/sample.edb" 4096 6
echo
echo "\$ tarnwick info sample.edb"
"$TARNWICK" info "$SCRATCH/sample.edb"
echo
echo "\$ tarnwick info --json sample.edb"
"$TARNWICK" info --json "$SCRATCH/sample.edb"

write_store "$SCRATCH/odd.edb" 16384 3
echo
echo "\$ tarnwick info odd.edb     # a header giving 16384-byte pages"
set +e
"$TARNWICK" info "$SCRATCH/odd.edb"
rc=$?
set -e
echo "exit code $rc"
[ "$rc" -eq 4 ]
