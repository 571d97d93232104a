#!/usr/bin/env python3
"""Exports generated stores with `tarnwick export` and checks the output against the
store's manifest.

  roundtrip.py pst FORMAT      every folder to PST; tarnwick-pstcheck, pffexport and readpst
  roundtrip.py files FORMAT    every folder to EML and to mbox; Python's email and mailbox
  roundtrip.py damaged FORMAT DAMAGE...   a damaged store: the export completes and its
                                report accounts for every manifest item

Tools come from the environment: TARNWICK, STOREGEN, PSTCHECK (paths).
"""
import collections
import email
import email.policy
import json
import mailbox
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare  # noqa: E402
import expected  # noqa: E402
import readers  # noqa: E402

TARNWICK = os.environ.get("TARNWICK", "tarnwick")
STOREGEN = os.environ.get("STOREGEN", "tarnwick-storegen")
PSTCHECK = os.environ.get("PSTCHECK", "")

# Two mailboxes, the well-known folders and nested ones; enough items per folder to meet
# every kind, body form and placement the generator plans.
SCENARIO = {"mailboxes": 2, "foldersPerMailbox": 16, "messagesPerFolder": 6}


def run(args, **kw):
    proc = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False, **kw)
    return proc


def generate(work, fmt, extra=()):
    os.makedirs(work, exist_ok=True)
    scenario = os.path.join(work, "scenario.json")
    with open(scenario, "w") as f:
        json.dump(SCENARIO, f)
    out = os.path.join(work, "store")
    rng = [] if "--seed" in extra else ["--seed", "7"]
    proc = run([STOREGEN, "--format", fmt, *rng, "--scenario", scenario, "--out", out, *extra])
    if proc.returncode != 0:
        sys.exit(f"storegen failed: {proc.stderr.decode(errors='replace')}")
    return out


class NoMailbox(Exception):
    """The export refused the store: no mailbox could be found in it (exit 5)."""


def export(store, fmt, out, allow_no_mailbox=False):
    os.makedirs(out, exist_ok=True)
    args = [TARNWICK, "export", os.path.join(store, "store.edb"), "--all", "--out", out, "--format", fmt,
            "--yes", "--json"]
    if os.path.exists(os.path.join(store, "store.stm")):
        args[3:3] = ["--stm", os.path.join(store, "store.stm")]
    proc = run(args)
    if proc.returncode == 5 and allow_no_mailbox:
        raise NoMailbox(proc.stderr.decode(errors="replace"))
    if proc.returncode not in (0, 6):
        sys.exit(f"export ({fmt}) ended with {proc.returncode}: {proc.stderr.decode(errors='replace')[-2000:]}")
    result = json.loads(proc.stdout)
    with open(result["report"], encoding="utf-8") as f:
        report = json.load(f)
    return proc.returncode, result, report


def mailbox_of_report(manifest, name):
    """The manifest mailbox a report's mailbox stands for (the tree may prefix its name)."""
    for m in manifest.mailboxes.values():
        if name == m["name"] or name.endswith(m["name"]):
            return m
    return None


def notes(report, key):
    for m in report["mailboxes"]:
        for f in m["folders"]:
            for n in f[key]:
                yield n


def check_report_accounts(manifest, report, damaged=False):
    """Every manifest item is in the report once: written, left out, failed, skipped or not
    reached (the last also for items whose record was not found), or, for a damaged store,
    not found at all (then the counts still add up)."""
    problems = []
    totals = report["totals"]
    listed = totals["written"] + totals["leftOut"] + totals["failed"] + totals["skipped"] + totals["notReached"]
    if listed != totals["found"]:
        problems.append(f"report totals do not add up: {totals}")
    per_folder_found = sum(f["found"] for m in report["mailboxes"] for f in m["folders"])
    if per_folder_found != totals["found"]:
        problems.append("folder counts and totals differ")
    noted = collections.Counter(n["id"] for key in ("leftOut", "failed", "skipped", "notReached") for n in notes(report, key))
    out_of_range = {i.id for i in manifest.items if not i.in_range}
    for item in manifest.items:
        if item.id in out_of_range and noted[item.id] == 0 and not damaged:
            problems.append(f"{item.label()}: outside 1980-2099 but not listed as left out")
    left_out = {n["id"] for n in notes(report, "leftOut")}
    for item_id in left_out - out_of_range:
        problems.append(f"item {item_id} left out by the date filter but inside 1980-2099")
    known = {i.id for i in manifest.items}
    for n in notes(report, "withoutRecord"):
        if n["id"] not in known:
            problems.append(f"report lists item {n['id']} as written without its record; the manifest lacks it")
    if not damaged:
        # An undamaged store has a record for every message: all is saved from it.
        if totals.get("withoutRecord", 0) != 0:
            problems.append(f"{totals.get('withoutRecord')} items written without their message record")
        if totals["found"] != len(manifest.items):
            problems.append(f"report found {totals['found']} items, manifest has {len(manifest.items)}")
        if totals["leftOut"] != len(out_of_range):
            problems.append(f"report left out {totals['leftOut']}, manifest has {len(out_of_range)} outside 1980-2099")
    else:
        # What the scan did not find cannot be in the report; what it found must be manifest
        # items, each listed once.
        if totals["found"] > len(manifest.items):
            problems.append(f"report found {totals['found']} items, manifest has only {len(manifest.items)}")
        for item_id, n in noted.items():
            if item_id not in known:
                problems.append(f"report lists item {item_id}, which the manifest does not have")
            elif n > 1:
                problems.append(f"report lists item {item_id} {n} times")
    return problems


def check_pst(fmt):
    problems = []
    figures = collections.Counter()
    with tempfile.TemporaryDirectory(prefix="tarnwick-roundtrip-") as work:
        store = generate(work, fmt)
        manifest = expected.Manifest(os.path.join(store, "manifest.json"))
        code, result, report = export(store, "pst", os.path.join(work, "out"))
        if code != 0:
            problems.append(f"export exit code {code}: {report['totals']}")
        problems += check_report_accounts(manifest, report)
        for mb in report["mailboxes"]:
            pst = mb["output"]
            m = mailbox_of_report(manifest, mb["name"])
            if m is None:
                problems.append(f"report mailbox {mb['name']!r} is not in the manifest")
                continue
            if PSTCHECK:
                proc = run([PSTCHECK, pst])
                if proc.returncode != 0:
                    problems.append(f"tarnwick-pstcheck {pst}: {proc.stdout.decode(errors='replace')[-1500:]}")
            wants = [i for i in manifest.items if i.mailbox == m["name"] and i.in_range]
            folders = {path for name, path in manifest.folder_paths() if name == m["name"]}
            for reader, read, kinds in (("pffexport", readers.read_pffexport, compare.PFF_KINDS),
                                        ("readpst", readers.read_readpst, compare.READPST_KINDS)):
                rwork = os.path.join(work, reader + "-" + m["id"])
                os.makedirs(rwork)
                read_folders, read_items = read(pst, rwork)
                top = mb["name"]
                strip = lambda p: p[len(top) + 1:] if p.startswith(top + "/") else (None if p == top else p)  # noqa
                read_folders = {strip(p) for p in read_folders} - {None}
                for it in read_items:
                    it.folder = strip(it.folder)
                read_items = [it for it in read_items if it.folder is not None]
                if reader == "readpst":
                    # readpst writes no folder for a folder without items of its types.
                    folders_wanted = {f for f in folders if any(i.folder == f and i.kind in kinds for i in wants)}
                else:
                    folders_wanted = folders
                c = compare.compare_reader(reader, wants, folders_wanted, read_folders, read_items, kinds)
                problems += c.problems
                for k, v in c.checked.items():
                    figures[f"{reader} {k}"] += v
        figures["manifest items"] = len(manifest.items)
        figures["in range"] = sum(1 for i in manifest.items if i.in_range)
        figures["written"] = report["totals"]["written"]
    return problems, figures


def check_files(fmt):
    problems = []
    figures = collections.Counter()
    with tempfile.TemporaryDirectory(prefix="tarnwick-roundtrip-") as work:
        store = generate(work, fmt)
        manifest = expected.Manifest(os.path.join(store, "manifest.json"))
        # EML: one file per item in a tree mirroring the mailbox.
        code, result, report = export(store, "eml", os.path.join(work, "eml"))
        problems += check_report_accounts(manifest, report)
        for mb in report["mailboxes"]:
            m = mailbox_of_report(manifest, mb["name"])
            wants = [i for i in manifest.items if i.mailbox == m["name"] and i.in_range]
            root = mb["output"]
            by_folder = collections.defaultdict(list)
            for dirpath, _, names in os.walk(root):
                for name in names:
                    rel = os.path.relpath(dirpath, root).replace(os.sep, "/")
                    top = mb["name"]
                    rel = rel[len(top) + 1:] if rel.startswith(top + "/") else rel
                    path = os.path.join(dirpath, name)
                    if name.endswith(".eml"):
                        with open(path, "rb") as f:
                            msg = email.message_from_binary_file(f, policy=email.policy.default)
                        item = readers.ReadItem(rel, "m")
                        item.subject = str(msg.get("Subject", ""))
                        with open(path, "rb") as f:
                            item.bodies["eml"] = f.read()
                    elif name.endswith(".ics") or name.endswith(".vcf"):
                        with open(path, encoding="utf-8") as f:
                            text = f.read()
                        msg = None
                        item = readers.ReadItem(rel, "a" if name.endswith(".ics") else "c")
                        item.subject = readers._ics_value(text, "SUMMARY" if item.kind == "a" else "FN") or ""
                    else:
                        continue
                    by_folder[rel].append((item, msg))
                    figures["eml tree files"] += 1
            for want in wants:
                folder = by_folder.get(want.folder, [])
                if want.kind == "c":
                    match = [x for x in folder if x[0].kind == "c"]  # named after the contact's fields
                else:
                    match = [x for x in folder if x[0].subject == want.subject]
                if not match:
                    problems.append(f"[eml] {want.label()}: no .eml file with this subject")
                    continue
                folder.remove(match[0])
                msg = match[0][1]
                if msg is None:
                    continue
                if want.body_form == "eml" and want.body_sha256:
                    # A streamed message is written as it is stored, byte for byte.
                    if compare.sha(match[0][0].bodies["eml"]) != want.body_sha256:
                        problems.append(f"[eml] {want.label()}: the streamed message differs from the stored one")
                    continue
                if msg.defects:
                    problems.append(f"[eml] {want.label()}: {msg.defects}")
                if want.kind == "m" and want.body_form != "eml":
                    sender = compare.expected_sender(want)
                    got, got_address = email.utils.parseaddr(str(msg.get("From", "")))
                    if sender and got != sender:
                        problems.append(f"[eml] {want.label()}: From {got!r}, manifest {sender!r}")
                    if want.sender_address:
                        figures["eml sender addresses"] += 1
                        if got_address.lower() != want.sender_address.lower():
                            problems.append(f"[eml] {want.label()}: From address {got_address!r}, "
                                            f"manifest {want.sender_address!r}")
                    if msg.get("Date"):
                        when = email.utils.parsedate_to_datetime(str(msg["Date"]))
                        if when != want.instant:
                            problems.append(f"[eml] {want.label()}: Date {when}, manifest {want.instant}")
                    else:
                        problems.append(f"[eml] {want.label()}: no Date")
                if want.attachments:
                    parts = [p for p in msg.walk() if not p.is_multipart() and p.get_filename()]
                    gotten = sorted(compare.sha(p.get_payload(decode=True) or b"") for p in parts)
                    if gotten != sorted(a["sha256"] for a in want.attachments):
                        problems.append(f"[eml] {want.label()}: attachment bytes differ")
                    # The names as the store holds them (RFC 2231 decoded by the parser).
                    names = sorted(p.get_filename() for p in parts)
                    if names != sorted(a["name"] for a in want.attachments):
                        problems.append(f"[eml] {want.label()}: attachment names {names}, "
                                        f"manifest {sorted(a['name'] for a in want.attachments)}")
                    figures["eml attachment names"] += len(parts)
            for folder, left in by_folder.items():
                for item, _ in left:
                    problems.append(f"[eml] unexpected file in {folder}: {item.subject!r}")
        # mbox: one file per folder; the number of messages is the number written there.
        code, result, report = export(store, "mbox", os.path.join(work, "mbox"))
        problems += check_report_accounts(manifest, report)
        for mb in report["mailboxes"]:
            total_in_files = 0
            for dirpath, _, names in os.walk(mb["output"]):
                for name in names:
                    if name.endswith(".mbox"):
                        box = mailbox.mbox(os.path.join(dirpath, name), create=False)
                        total_in_files += len(box)
                        box.close()
            written = sum(f["written"] for f in mb["folders"])
            figures["mbox messages"] += total_in_files
            if total_in_files != written:
                problems.append(f"[mbox] {mb['name']}: {total_in_files} messages in the files, {written} written")
        if figures["mbox messages"] != figures["eml tree files"]:
            problems.append(f"[mbox] {figures['mbox messages']} messages, the eml tree had {figures['eml tree files']}")
    return problems, figures


def check_no_mailbox(manifest, out, message):
    problems = []
    damage = manifest.raw.get("damage", {})
    hit = set()
    for key in ("zeroedPages", "randomPages", "scrambledTagPages"):
        hit.update(damage.get(key, []))
    vital = {4}  # the catalogue
    for t in manifest.raw["tables"]:
        if t["name"] in ("MSysObjects", "Mailbox"):
            vital.add(t["rootPage"])
            vital.update(t.get("pageNumbers", []))
    truncated = damage.get("truncatedTo") is not None
    if not (hit & vital) and not truncated:
        problems.append(f"no mailbox found although the catalogue and the mailbox table are intact: {message.strip()}")
    if "User Mail Box not found" not in message:
        problems.append(f"the refusal does not say that no mailbox was found: {message.strip()}")
    for _, _, names in os.walk(out):
        if names:
            problems.append(f"files written although no mailbox was found: {names}")
    return problems


def check_damaged(fmt, damage):
    problems = []
    figures = collections.Counter()
    with tempfile.TemporaryDirectory(prefix="tarnwick-roundtrip-") as work:
        # "--truncate N%" cuts the store to that share of its undamaged size.
        if "--truncate" in damage and damage[damage.index("--truncate") + 1].endswith("%"):
            at = damage.index("--truncate") + 1
            whole = expected.Manifest(os.path.join(generate(os.path.join(work, "whole"), fmt), "manifest.json"))
            damage = list(damage)
            damage[at] = str(whole.raw["fileSize"] * int(damage[at][:-1]) // 100)
        store = generate(work, fmt, damage)
        manifest = expected.Manifest(os.path.join(store, "manifest.json"))
        try:
            code, result, report = export(store, "pst", os.path.join(work, "out"), allow_no_mailbox=True)
        except NoMailbox as refusal:
            # Only damage to the catalogue or to the mailbox table may cost every mailbox,
            # and then nothing may be written.
            return check_no_mailbox(manifest, os.path.join(work, "out"), str(refusal)), {"no mailbox": 1}
        problems += check_report_accounts(manifest, report, damaged=True)
        read_back = 0
        for n, mb in enumerate(report["mailboxes"]):
            if not os.path.exists(mb["output"]):
                continue
            if PSTCHECK:
                proc = run([PSTCHECK, mb["output"]])
                if proc.returncode != 0:
                    problems.append(f"tarnwick-pstcheck {mb['output']}: {proc.stdout.decode(errors='replace')[-800:]}")
            rwork = os.path.join(work, f"pff-{n}")
            os.makedirs(rwork)
            _, items = readers.read_pffexport(mb["output"], rwork)
            read_back += len(items)
        if read_back != report["totals"]["written"]:
            problems.append(f"the PST files hold {read_back} items, the report says {report['totals']['written']} written")
        figures["not found by the scan"] = len(manifest.items) - report["totals"]["found"]
        for key, value in report["totals"].items():
            figures[key] = value
        figures["manifest items"] = len(manifest.items)
    return problems, figures


def main():
    mode, fmt = sys.argv[1], sys.argv[2]
    if mode == "pst":
        problems, figures = check_pst(fmt)
    elif mode == "files":
        problems, figures = check_files(fmt)
    elif mode == "damaged":
        problems, figures = check_damaged(fmt, sys.argv[3:])
    else:
        sys.exit(f"unknown mode {mode}")
    print(f"{mode} {fmt}: " + ", ".join(f"{k} {v}" for k, v in sorted(figures.items())))
    for p in problems[:200]:
        print(p)
    if len(problems) > 200:
        print(f"... and {len(problems) - 200} more")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
