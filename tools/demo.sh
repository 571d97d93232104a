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

# One folder listed, and one message of each kind shown as the preview shows it: mail
# with a text, HTML and RTF body, contact, appointment, task, note, journal entry, and in
# the 4 KB store a message kept whole in the streaming file.
pick_messages() {  # manifest.json -> "folder-id message-id what" lines
  python3 - "$1" <<'PY'
import json, sys
m = json.load(open(sys.argv[1]))
def listed(msg):  # the list shows years 1980 to 2099
    return 1980 <= int(msg["time"][:4]) <= 2099
wanted = [("mail, text body", lambda x: x.get("kind") == "m" and x.get("bodyForm") == "text"),
          ("mail, HTML body", lambda x: x.get("kind") == "m" and x.get("bodyForm") == "html"),
          ("mail, RTF body", lambda x: x.get("kind") == "m" and x.get("bodyForm") == "rtf"),
          ("streamed message", lambda x: x.get("bodyForm") == "eml"),
          ("contact", lambda x: x.get("kind") == "c"),
          ("appointment", lambda x: x.get("kind") == "a"),
          ("task", lambda x: x.get("kind") == "t"),
          ("note", lambda x: x.get("kind") == "n"),
          ("journal entry", lambda x: x.get("kind") == "j")]
messages = [x for x in m["messages"] if listed(x)]
picked = False
for what, fits in wanted:
    for x in messages:
        if fits(x):
            print(x["folder"], x["id"], what)
            picked = True
            break
if not picked and messages:  # a manifest that does not tell the kinds yet
    print(messages[0]["folder"], messages[0]["id"], "message")
PY
}
for format in 4k 8k 32k; do
  store=("$SCRATCH/$format/store.edb")
  [ -f "$SCRATCH/$format/store.stm" ] && store+=(--stm "$SCRATCH/$format/store.stm")
  echo
  mailbox=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["mailboxes"][0]["name"])' "$SCRATCH/$format/manifest.json")
  echo "\$ tarnwick list $format/store.edb --folder '$mailbox/Inbox'"
  "$TARNWICK" list "${store[@]}" --folder "$mailbox/Inbox" 2>&1
  while read -r folder message what; do
    echo
    echo "\$ tarnwick show $format/store.edb --folder $folder --message $message     # $what"
    "$TARNWICK" show "${store[@]}" --folder "$folder" --message "$message" > "$SCRATCH/show.txt" 2>&1 || true
    head -c 1200 "$SCRATCH/show.txt"
    [ "$(stat -c %s "$SCRATCH/show.txt")" -le 1200 ] || echo "[...]"
  done < <(pick_messages "$SCRATCH/$format/manifest.json")
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
