"""Item-by-item comparison of what a reader gave back with what the manifest says."""
import hashlib
import re

import expected as ex


def sha(data):
    return hashlib.sha256(data).hexdigest()


def body_digests(form, data):
    """The digests a body read back may be matched by: its bytes as given, without a trailing
    NUL, and for text also re-encoded from UTF-8 to UTF-16 (the store keeps UTF-16)."""
    candidates = [data, data.rstrip(b"\0")]
    if b"\r\n" not in data:
        candidates.append(data.replace(b"\n", b"\r\n"))  # a reader that wrote line ends as LF
    if form == "text":
        try:
            text = data.decode("utf-8")
            candidates += [text.encode("utf-16-le"), text.rstrip("\0").encode("utf-16-le"),
                           text.replace("\r\n", "\n").encode("utf-16-le")]
            if "\r\n" not in text:
                candidates.append(text.replace("\n", "\r\n").encode("utf-16-le"))
        except UnicodeDecodeError:
            pass
    return {sha(c) for c in candidates}


def same_subject(reader, got, want):
    """libpff takes a subject whose first UTF-16 unit has a low byte below 0x20 (such as
    Cyrillic capital O, 0x041E) for a prefix marker and drops that character; the stored
    value is whole (readpst and pffexport's value dump show it)."""
    if got == want:
        return True
    return reader == "pffexport" and bool(want) and (ord(want[0]) & 0xFF) < 0x20 and got == want[1:]


def pff_file_name(name):
    """The file name pffexport makes of an attachment name: "/", "\\" and ":" become "_"."""
    return "".join("_" if c in "/\\:" else c for c in name)


def expected_sender(item):
    if item.folder_name == "Sent Items":
        return item.mailbox.replace("Mailbox - ", "").replace("\\", "")
    return item.sender


class Comparison:
    """Collects the differences of one reader against the manifest."""

    def __init__(self, reader):
        self.reader = reader
        self.problems = []
        self.checked = {"items": 0, "bodies": 0, "attachments": 0, "attachment names": 0, "recipients": 0, "fields": 0,
                        "times": 0, "sender addresses": 0}

    def fail(self, item, what):
        self.problems.append(f"[{self.reader}] {item.label()}: {what}")

    def item(self, want, got, reader_kinds):
        self.checked["items"] += 1
        if got.kind != want.kind:
            self.fail(want, f"kind {got.kind!r}, manifest {want.kind!r}")
        if want.kind != "c" and not same_subject(self.reader, got.subject, want.subject):
            self.fail(want, f"subject {got.subject!r}")
        # A streamed message carries its own sender, date and attachments (in its MIME
        # parts); the manifest describes the store's values, so those are checked elsewhere.
        streamed = want.body_form == "eml"
        sender = expected_sender(want)
        if sender is not None and got.sender is not None and want.kind in "matj" and got.sender != sender \
                and not streamed:
            self.fail(want, f"sender {got.sender!r}, manifest {sender!r}")
        # The sender's address as the message record holds it.
        if want.kind == "m" and want.sender_address and got.sender_address is not None and not streamed:
            self.checked["sender addresses"] += 1
            if got.sender_address.lower() != want.sender_address.lower():
                self.fail(want, f"sender address {got.sender_address!r}, manifest {want.sender_address!r}")
        if want.kind == "m" and got.time is not None or want.kind == "m" and self.reader == "pffexport":
            self.checked["times"] += 1
            slack = 1 if streamed else 0  # the message's Date field has whole seconds, cut
            if got.time is None or want.instant is None or \
                    abs((got.time - want.instant).total_seconds()) > slack:
                self.fail(want, f"time {got.time}, manifest {want.instant}")
        if want.kind == "a":
            self.checked["times"] += 1
            start = want.start or want.instant
            end = want.end or want.instant
            if (got.start, got.end) != (start, end):
                self.fail(want, f"start/end {got.start}/{got.end}, manifest {start}/{end}")
        if want.recipients is not None and got.recipients is not None and want.kind == "m" \
                and want.body_form != "eml":
            self.checked["recipients"] += 1
            wanted = sorted(r["address"].lower() for r in want.recipients)
            gotten = sorted(a.lower() for _, a in got.recipients if a)
            if wanted != gotten:
                self.fail(want, f"recipients {gotten}, manifest {wanted}")
        forms = ("text", "html", "rtf") if self.reader == "pffexport" else ("text", "html")  # readpst -b: no RTF
        if want.body_sha256 and want.body_form in forms and "body" in reader_kinds \
                and want.kind == "m":
            self.checked["bodies"] += 1
            data = got.bodies.get(want.body_form)
            if data is None:
                self.fail(want, f"no {want.body_form} body (reader gave {sorted(got.bodies)})")
            elif want.body_sha256 not in body_digests(want.body_form, data):
                self.fail(want, f"{want.body_form} body differs ({len(data)} bytes read)")
        # Every kind carries its attachments, under the names the store holds.
        if want.attachments is not None and got.attachments is not None and "attachments" in reader_kinds \
                and not streamed:
            self.checked["attachments"] += len(want.attachments)
            wanted = sorted((a["sha256"], a["size"]) for a in want.attachments)
            gotten = sorted((sha(data), len(data)) for _, data in got.attachments)
            if wanted != gotten:
                self.fail(want, f"attachment bytes differ: read {gotten}, manifest {wanted}")
            names = sorted(n for n, _ in got.attachments)
            for a in want.attachments:
                if self.reader == "pffexport":
                    # pffexport names its files "<n>_<name>", with "/", "\" and ":" made "_"
                    # on its own; readpst gives the name exactly as the PST holds it.
                    if pff_file_name(a["name"]) not in (re.sub(r"^\d+_", "", n) for n in names):
                        self.fail(want, f"attachment {a['name']!r} not among {names}")
                elif a["name"] not in names:
                    self.fail(want, f"attachment {a['name']!r} not among {names}")
            self.checked["attachment names"] += len(want.attachments)
        if want.kind == "c":
            self.fields(want, want.contact_fields(), got.fields)
        elif want.kind == "a":
            self.fields(want, want.appointment_fields(), got.fields)

    def fields(self, want, wanted, gotten):
        for name, value in wanted.items():
            if name not in gotten and name not in self.known_fields:
                continue  # the reader does not show this field
            self.checked["fields"] += 1
            if gotten.get(name) != value:
                self.fail(want, f"field {name} {gotten.get(name)!r}, manifest {value!r}")

    known_fields = set()

    def folder(self, wants, gots, reader_kinds):
        """Matches the items of one folder by subject (then by time) and compares them."""
        left = list(gots)
        for want in wants:
            if want.kind not in reader_kinds:
                continue
            if want.kind == "c":
                # The contact writer is given fields, not the header's subject.
                fields = want.contact_fields()
                candidates = [g for g in left if g.kind == "c" and all(
                    g.fields.get(k) == v for k, v in fields.items() if k in g.fields)]
            else:
                candidates = [g for g in left if same_subject(self.reader, g.subject, want.subject)]
            if len(candidates) > 1:
                timed = [g for g in candidates if g.time == want.instant or g.start == (want.start or want.instant)]
                candidates = timed or candidates
            if len(candidates) > 1 and want.attachments:
                digests = sorted(a["sha256"] for a in want.attachments)
                same = [g for g in candidates if sorted(sha(d) for _, d in (g.attachments or [])) == digests]
                candidates = same or candidates
            if not candidates:
                self.fail(want, "missing")
                continue
            left.remove(candidates[0])
            self.item(want, candidates[0], reader_kinds)
        for got in left:
            self.problems.append(f"[{self.reader}] unexpected item {got!r}")


PFF_KINDS = set("mcatnj") | {"body", "attachments"}
READPST_KINDS = set("mcaj") | {"attachments", "body"}


def compare_reader(reader, manifest_items, mailbox_folders, read_folders, read_items, kinds):
    """Compares one PST of one mailbox: its folder list and its items folder by folder."""
    c = Comparison(reader)
    missing = sorted(f for f in mailbox_folders if f not in read_folders)
    for folder in missing:
        c.problems.append(f"[{reader}] folder {folder!r} missing")
    by_folder = {}
    for got in read_items:
        by_folder.setdefault(got.folder, []).append(got)
    wants_by_folder = {}
    for want in manifest_items:
        wants_by_folder.setdefault(want.folder, []).append(want)
    for folder in sorted(set(by_folder) | set(wants_by_folder)):
        c.folder(wants_by_folder.get(folder, []), by_folder.get(folder, []), kinds)
    return c
