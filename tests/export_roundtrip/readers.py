"""PST files read back through two independent readers (libpff's pffexport, libpst's
readpst) into plain records that can be compared with the manifest."""
import datetime
import email
import email.policy
import email.utils
import os
import re
import subprocess

# pffexport names its item folders by kind.
PFF_KINDS = {"Message": "m", "Contact": "c", "Appointment": "a", "Task": "t", "Note": "n", "Activity": "j"}
PFF_TIME = "%b %d, %Y %H:%M:%S"


class ReadItem:
    """One item as a reader gives it back."""

    def __init__(self, folder, kind):
        self.folder = folder          # path below the mailbox, levels joined with "/"
        self.kind = kind
        self.subject = None
        self.sender = None
        self.sender_address = None
        self.time = None              # datetime (UTC)
        self.start = None
        self.end = None
        self.recipients = None        # list of (name, address)
        self.bodies = {}              # "text" / "html" / "rtf" -> bytes
        self.attachments = None       # list of (name, bytes)
        self.fields = {}              # contact and appointment texts by reader-neutral name

    def __repr__(self):
        return f"<{self.kind} {self.folder}: {self.subject!r}>"


def _run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False, **kw)


def _pff_values(text):
    """The 'Name:<tabs>value' lines of a pffexport text file, section by section merged."""
    values = {}
    for line in text.splitlines():
        m = re.match(r"^([A-Za-z][A-Za-z0-9 /-]*):\t+(.*)$", line)
        if m and m.group(1) not in values:
            values[m.group(1)] = m.group(2)
    return values


def _pff_time(value):
    if not value:
        return None
    value = re.sub(r"\.\d+ UTC$", "", value.strip())
    try:
        return datetime.datetime.strptime(value, PFF_TIME).replace(tzinfo=datetime.timezone.utc)
    except ValueError:
        return None


def _read(path, mode="rb"):
    with open(path, mode) as f:
        return f.read()


def _pff_recipients(path):
    """Recipients.txt: blocks of 'Display name:', 'Email address:' lines."""
    result = []
    name = None
    for line in _read(path, "r").splitlines():
        m = re.match(r"^(Display name|Email address|Recipient display name):\t+(.*)$", line)
        if not m:
            continue
        if m.group(1) == "Email address":
            result.append((name or "", m.group(2)))
            name = None
        else:
            if name is not None:
                result.append((name, ""))
            name = m.group(2)
    if name is not None:
        result.append((name, ""))
    return result


# pffexport's Contact.txt labels, as reader-neutral names.
PFF_CONTACT = {
    "Given name": "givenName", "Surname": "surname", "Title": "title", "Company name": "company",
    "Department name": "department", "Office location": "office", "Profession": "profession",
    "Mobile telephone number": "mobile", "Business telephone number": "businessPhone",
    "Assistant telephone number": "assistantPhone", "Email address 1": "email",
    "Nickname": "nickName", "Spouse name": "spouse", "Business home page": "webPage",
}
PFF_APPOINTMENT = {"Location": "location"}


def read_pffexport(pst, workdir):
    """Items of a PST by pffexport: {mailbox-level folder path: [ReadItem]} and the list of
    folders (paths below the PST's top folder, levels joined with "/")."""
    target = os.path.join(workdir, "pff")
    proc = _run(["pffexport", "-q", "-f", "all", "-t", target, pst])
    root = target + ".export"
    if proc.returncode != 0 or not os.path.isdir(root):
        raise RuntimeError(f"pffexport failed on {pst}: {proc.stderr.decode(errors='replace')}")
    tops = [d for d in os.listdir(root) if d.startswith("Top of")]
    if len(tops) != 1:
        raise RuntimeError(f"pffexport gave no single top folder for {pst}: {os.listdir(root)}")
    top = os.path.join(root, tops[0])
    folders, items = set(), []
    for dirpath, dirnames, filenames in os.walk(top):
        rel = os.path.relpath(dirpath, top)
        leaf = os.path.basename(dirpath)
        m = re.match(r"^(Message|Contact|Appointment|Task|Note|Activity)\d{5}$", leaf)
        if not m:
            if rel != ".":
                folders.add(rel.replace(os.sep, "/"))
            continue
        dirnames[:] = [d for d in dirnames if d == "Attachments"]
        item = ReadItem(os.path.dirname(rel).replace(os.sep, "/"), PFF_KINDS[m.group(1)])
        main = {"Message": "OutlookHeaders.txt"}.get(m.group(1), m.group(1) + ".txt")
        text = _read(os.path.join(dirpath, main), "r") if os.path.exists(os.path.join(dirpath, main)) else ""
        v = _pff_values(text)
        item.subject = v.get("Subject", "")
        item.sender = v.get("Sender name")
        item.sender_address = v.get("Sender email address")
        item.time = _pff_time(v.get("Delivery time") or v.get("Client submit time"))
        item.start = _pff_time(v.get("Start time"))
        item.end = _pff_time(v.get("End time"))
        for label, name in (PFF_CONTACT if item.kind == "c" else PFF_APPOINTMENT).items():
            if v.get(label):
                item.fields[name] = v[label]
        for name, form in (("Message.txt", "text"), ("Message.html", "html"), ("Message.rtf", "rtf")):
            if name in filenames:
                item.bodies[form] = _read(os.path.join(dirpath, name))
        if "Recipients.txt" in filenames:
            item.recipients = _pff_recipients(os.path.join(dirpath, "Recipients.txt"))
        attachments = os.path.join(dirpath, "Attachments")
        item.attachments = []
        if os.path.isdir(attachments):
            for name in sorted(os.listdir(attachments)):
                path = os.path.join(attachments, name)
                if os.path.isfile(path):
                    item.attachments.append((name, _read(path)))
        items.append(item)
    return folders, items


def _eml_item(folder, kind, path):
    data = _read(path)
    msg = email.message_from_bytes(data, policy=email.policy.default)
    raw = email.message_from_bytes(data)
    item = ReadItem(folder, kind)
    item.subject = str(msg.get("Subject", "") or "")
    sender = msg.get("From")
    if sender is not None:
        name, address = email.utils.parseaddr(str(sender))
        item.sender, item.sender_address = name, address
    if msg.get("Date"):
        try:
            item.time = email.utils.parsedate_to_datetime(str(msg["Date"])).astimezone(datetime.timezone.utc)
        except (TypeError, ValueError):
            item.time = None
    item.recipients = []
    for header in ("To", "Cc", "Bcc"):
        # readpst separates addresses with ";", which the default policy's parser stops at:
        # the raw field is split here.
        for name, address in email.utils.getaddresses([str(v).replace(";", ",") for v in raw.get_all(header, [])]):
            item.recipients.append((name, address))
    item.attachments = []
    texts = email.message_from_string(data.decode("utf-8", "replace"))  # 8-bit header texts as UTF-8
    for part, raw_part in zip(msg.walk(), texts.walk()):
        if part.is_multipart():
            continue
        # readpst writes the name twice: as a quoted "filename" (escaped as it should be)
        # and as an RFC 2231 "filename*" without percent-encoding, which parsers cut at
        # "/" or ":"; the quoted one is taken when there is one.
        quoted = re.search(r'filename="((?:[^"\\]|\\.)*)"', str(raw_part.get("Content-Disposition", "")))
        if quoted:
            name = re.sub(r"\\(.)", r"\1", quoted.group(1))
        else:
            name = part.get_filename()
        payload = part.get_payload(decode=True) or b""
        if name:
            item.attachments.append((name, payload))
        elif part.get_content_type() == "text/plain" and "text" not in item.bodies:
            item.bodies["text"] = payload
        elif part.get_content_type() == "text/html" and "html" not in item.bodies:
            item.bodies["html"] = payload
        elif part.get_content_type() in ("text/rtf", "application/rtf") and "rtf" not in item.bodies:
            item.bodies["rtf"] = payload
    return item


def _ics_times(text):
    def when(key):
        m = re.search(rf"^{key}[^:\r\n]*:(\d{{8}}T\d{{6}})Z?\r?$", text, re.M)
        if not m:
            return None
        return datetime.datetime.strptime(m.group(1), "%Y%m%dT%H%M%S").replace(tzinfo=datetime.timezone.utc)
    return when("DTSTART"), when("DTEND")


def _ics_value(text, key):
    m = re.search(rf"^{key}[^:\r\n]*:(.*)\r?$", text, re.M)
    return m.group(1).replace("\\,", ",").replace("\\;", ";").replace("\\n", "\n").replace("\\\\", "\\") if m else None


VCARD_FIELDS = {"EMAIL": "email", "NICKNAME": "nickName", "TITLE": "title", "ORG": "company"}


def read_readpst(pst, workdir):
    """Items of a PST by readpst (-e: one file per item, folders as directories). readpst
    writes mail, calendar, journal and contact items; notes and tasks it leaves out."""
    out = os.path.join(workdir, "readpst")
    os.makedirs(out, exist_ok=True)
    # readpst takes the last of -r and -e as the mode; -r before -e gives one file per item
    # in a folder tree; -D keeps the folder "Deleted Items", which it leaves out otherwise;
    # -b leaves out the copy of an RTF body that it would add as an attachment; -j 0 keeps
    # it to one process: its forked writers may still be writing when it exits, and the
    # folders and bodies read here would then come out short now and then.
    proc = _run(["readpst", "-q", "-j", "0", "-D", "-b", "-8", "-cv", "-r", "-e", "-o", out, pst])
    if proc.returncode != 0:
        raise RuntimeError(f"readpst failed on {pst}: {proc.stderr.decode(errors='replace')}")
    tops = os.listdir(out)
    if len(tops) != 1:
        raise RuntimeError(f"readpst gave no single top folder for {pst}: {tops}")
    top = os.path.join(out, tops[0])
    folders, items = set(), []
    for dirpath, _, filenames in os.walk(top):
        rel = os.path.relpath(dirpath, top).replace(os.sep, "/")
        if rel != ".":
            folders.add(rel)
        for name in filenames:
            path = os.path.join(dirpath, name)
            if name.endswith(".eml"):
                items.append(_eml_item(rel, "m", path))
            elif name.endswith(".ics"):
                text = _read(path).decode("utf-8", "replace")
                kind = "j" if "VJOURNAL" in text else "a"
                item = ReadItem(rel, kind)
                item.subject = _ics_value(text, "SUMMARY") or ""
                item.start, item.end = _ics_times(text)
                loc = _ics_value(text, "LOCATION")
                if loc:
                    item.fields["location"] = loc
                items.append(item)
            elif name.endswith(".vcf"):
                text = _read(path).decode("utf-8", "replace")
                item = ReadItem(rel, "c")
                n = _ics_value(text, "N")
                if n:
                    parts = n.split(";")
                    if parts[0]:
                        item.fields["surname"] = parts[0]
                    if len(parts) > 1 and parts[1]:
                        item.fields["givenName"] = parts[1]
                for key, field in VCARD_FIELDS.items():
                    value = _ics_value(text, key)
                    if value:
                        item.fields[field] = value
                item.subject = _ics_value(text, "FN") or ""
                items.append(item)
    return folders, items
