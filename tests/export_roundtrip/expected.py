"""What an export of a generated store must hold, read from the store's manifest.json.

Every field is taken only when the manifest has it, so that the comparison grows with the
generator: items, bodies, attachments and contact or appointment fields are checked as soon
as the manifest describes them.
"""
import datetime
import json

FILETIME_EPOCH = datetime.datetime(1601, 1, 1, tzinfo=datetime.timezone.utc)
TICKS_PER_SECOND = 10_000_000

# Kind letters: the manifest's item kind ("m", "c", "a", "t", "n", "j"), else its folder's.
MAIL, CONTACT, APPOINTMENT, TASK, NOTE, JOURNAL = "m", "c", "a", "t", "n", "j"

# Contact columns of the store and the contact writer's fields, as readers name them.
CONTACT_COLUMNS = {
    "S3a06": "givenName", "S3a11": "surname", "S3a17": "title", "S3a16": "company",
    "S3a18": "department", "S3a19": "office", "S3a46": "profession", "S3a1c": "mobile",
    "S3a08": "businessPhone", "S3a2e": "assistantPhone", "S808d": "country", "S8097": "city",
    "S80a6": "street", "S809e": "postalCode", "S81b0": "email", "S3a51": "webPage",
    "S3a4f": "nickName", "S3a48": "spouse",
}
APPOINTMENT_COLUMNS = {"S8225": "contact", "S8201": "location", "S810c": "timeZone"}


def filetime_to_instant(ticks):
    """The export's UTC instant of a stored time: whole seconds, carried up when the
    milliseconds plus 4 reach 995; None outside 1980-2099 (or unreadable)."""
    seconds, rest = divmod(int(ticks), TICKS_PER_SECOND)
    if (rest // 10_000) + 4 >= 995:
        seconds += 1
    try:
        instant = FILETIME_EPOCH + datetime.timedelta(seconds=seconds)
    except OverflowError:
        return None
    return instant if 1980 <= instant.year <= 2099 else None


class Item:
    """One manifest message as the export should write it."""

    def __init__(self, message, folder, mailbox):
        self.raw = message
        self.id = message["id"]
        self.mailbox = mailbox["name"]
        self.folder = folder["path"]
        self.folder_name = folder["name"]
        self.kind = message.get("kind") or folder.get("kind") or MAIL
        if self.kind == "":
            self.kind = MAIL
        self.subject = message.get("subject", "")
        self.sender = message.get("sender")
        self.sender_address = message.get("senderAddress")
        self.recipients = message.get("recipients")
        self.instant = filetime_to_instant(message["fileTime"]) if "fileTime" in message else None
        self.start = filetime_to_instant(message["startFileTime"]) if "startFileTime" in message else None
        self.end = filetime_to_instant(message["endFileTime"]) if "endFileTime" in message else None
        self.body_form = message.get("bodyForm")
        self.body_sha256 = message.get("bodySha256")
        self.attachments = message.get("attachments")
        self.fields = message.get("fields") or {}

    @property
    def in_range(self):
        return self.instant is not None

    def contact_fields(self):
        return {CONTACT_COLUMNS[c]: v for c, v in self.fields.items() if c in CONTACT_COLUMNS and v}

    def appointment_fields(self):
        return {APPOINTMENT_COLUMNS[c]: v for c, v in self.fields.items() if c in APPOINTMENT_COLUMNS and v}

    def label(self):
        return f"{self.mailbox}/{self.folder} {self.id} {self.subject!r}"


class Manifest:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.raw = json.load(f)
        self.mailboxes = {m["id"]: m for m in self.raw["mailboxes"]}
        self.folders = {f["id"]: f for f in self.raw["folders"]}
        self.items = []
        for message in self.raw["messages"]:
            folder = self.folders.get(message["folder"])
            if folder is None:
                continue
            mailbox = self.mailboxes[folder["mailbox"]]
            self.items.append(Item(message, folder, mailbox))

    def folder_paths(self):
        """(mailbox name, folder path) of every folder."""
        return {(self.mailboxes[f["mailbox"]]["name"], f["path"]) for f in self.folders.values()}

    def has_content(self):
        """True once the generator writes message records (kinds, bodies, attachments)."""
        return any("kind" in m for m in self.raw["messages"])
