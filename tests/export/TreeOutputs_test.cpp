#include "export/TreeOutputs.h"
#include "platform/FileTime.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::exporter {
namespace {

using tarnwick::testing::ScratchDir;

std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs a Python script over `target` and gives what it printed as JSON.
nlohmann::json runPython(const ScratchDir& dir, const std::string& script, const std::filesystem::path& target) {
  const auto scriptPath = dir.path() / "read.py";
  std::ofstream(scriptPath) << script;
  const auto outPath = dir.path() / "out.json";
  const std::string cmd =
      "python3 '" + scriptPath.string() + "' '" + target.string() + "' > '" + outPath.string() + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return nlohmann::json::parse(readFile(outPath));
}

const char* kEmlReader = R"PY(
import email, email.policy, email.utils, json, os, sys, hashlib
root = sys.argv[1]
out = []
for dirpath, dirs, files in os.walk(root):
    dirs.sort()
    for name in sorted(files):
        path = os.path.join(dirpath, name)
        rel = os.path.relpath(path, root)
        if not name.endswith('.eml'):
            out.append({'file': rel, 'text': open(path, encoding='utf-8', newline='').read()})
            continue
        with open(path, 'rb') as f:
            raw = f.read()
        m = email.message_from_bytes(raw, policy=email.policy.default)
        body = m.get_body(preferencelist=('plain', 'html', 'rtf'))
        atts = []
        for a in m.iter_attachments():
            data = a.get_payload(decode=True)
            atts.append({'name': a.get_filename(), 'size': len(data), 'sha256': hashlib.sha256(data).hexdigest()})
        date = m['date']
        out.append({'file': rel, 'subject': m['subject'], 'from': str(m['from'] or ''), 'to': [str(a) for a in (m['to'].addresses if m['to'] else [])],
                    'date': date.datetime.isoformat() if date else None, 'body': body.get_content().replace('\r\n', '\n') if body else None,
                    'type': body.get_content_type() if body else None, 'kind': m['X-Tarnwick-Item-Kind'],
                    'attachments': atts, 'crlf': b'\r\n' in raw, 'defects': len(m.defects)})
print(json.dumps(out))
)PY";

const char* kMboxReader = R"PY(
import mailbox, email.header, json, os, sys
root = sys.argv[1]
out = {}
for dirpath, dirs, files in os.walk(root):
    for name in files:
        if not name.endswith('.mbox'):
            continue
        path = os.path.join(dirpath, name)
        box = mailbox.mbox(path, create=False)
        msgs = []
        for m in box:
            body = m.get_payload(decode=False)
            if m.is_multipart():
                body = m.get_payload(0).get_payload(decode=True).decode('utf-8')
            else:
                body = m.get_payload(decode=True).decode('utf-8')
            msgs.append({'subject': str(email.header.make_header(email.header.decode_header(m['subject']))), 'from_line': m.get_from(), 'body': body,
                         'parts': [p.get_content_type() for p in m.walk()]})
        out[os.path.relpath(path, root)] = msgs
print(json.dumps(out))
)PY";

// The same items written into a store of either format.
void writeSampleItems(FileTreeStore& store, const ScratchDir& dir, const std::filesystem::path& output) {
  const auto header = dir.path() / "header.txt";
  std::ofstream(header) << "From: Alice Example<alice@example.com>\r\n";
  const auto attachment = dir.path() / "data.bin";
  {
    std::ofstream a(attachment, std::ios::binary);
    for (int i = 0; i < 3000; ++i) a.put(static_cast<char>(i * 7));
  }
  const auto stored = dir.path() / "stored.eml";
  std::ofstream(stored, std::ios::binary) << "Subject: As stored\r\nFrom: x@y.z\r\nDate: Wed, 03 Feb 2010 13:02:03 "
                                             "+0000\r\n\r\nKept byte for byte\r\nFrom here on\r\n";

  auto& mail = store.mail();
  mail.CreateStore(output.string(), "TK_A/B_3-2-2010 9-5");
  const std::string root = "\\\\TK_A/B_3-2-2010 9-5\\";
  mail.CreateFolder(root + "A/B");
  mail.CreateFolder(root + "A/B\\Inbox");
  mail.CreateFolder(root + "A/B\\..");
  mail.CreateFolder(root + "A/B\\Empty");
  mail.OpenFolder(root + "A/B\\Inbox");
  mail.AddMessage(root + "A/B\\Inbox", "Grüße and \"quotes\"", "bob@example.com,Carol <carol@example.com>",
                  header.string(), utcFileTime(2010, 2, 3, 13, 2, 3), attachment.string() + ";",
                  "Hello\nFrom the start\n>From quoted\n", BodyKind::Utf16Text, "", "");
  mail.AddMessage(root + "A/B\\Inbox", "html", "", header.string(), utcFileTime(2099, 12, 31, 23, 59, 59), "",
                  "<html><body><p>Hi</p></body></html>", BodyKind::Text8Bit, "", "");
  mail.ImportMessageFile(root + "A/B\\Inbox", stored.string());
  mail.AddNote(root + "A/B\\..", "note body", "a note", BodyKind::Utf16Text, {});
  mail.AddAppointment(root + "A/B\\..", "Meeting", "alice@example.com", utcFileTime(2010, 2, 3, 9, 0, 0),
                      utcFileTime(2010, 2, 3, 10, 30, 0), "Bob", "Room 1; east", "W. Europe", "agenda",
                      BodyKind::Utf16Text, {});
  auto contact = store.newContactWriter();
  contact->Logon();
  contact->OpenFolder(root + "A/B\\..");
  contact->CreateContact();
  contact->SetField(ContactField::FirstName, "Dana");
  contact->SetField(ContactField::LastName, "Scully");
  contact->SetField(ContactField::Email1Address, "dana@example.com");
  contact->SetBody("contact note");
  contact->Save();
  mail.CloseFolder();
  mail.CloseStore();
}

TEST(EmlOutput, ItemsParseBackWithPythonsEmailPackage) {
  ScratchDir dir;
  const auto output = dir.path() / "TK_A_B_3-2-2010 9-5";
  EmlTreeStore store;
  writeSampleItems(store, dir, output);
  // The store folder named ".." stays inside the output.
  EXPECT_TRUE(std::filesystem::is_directory(output / "A_B" / "__"));
  EXPECT_TRUE(std::filesystem::is_directory(output / "A_B" / "Empty"));

  const auto items = runPython(dir, kEmlReader, output);
  ASSERT_EQ(items.size(), 6u) << items.dump(1);
  std::map<std::string, nlohmann::json> byFile;
  for (const auto& i : items) byFile[i["file"]] = i;

  const auto& first = byFile.at("A_B/Inbox/000001 Grüße and _quotes_.eml");
  EXPECT_EQ(first["subject"], "Grüße and \"quotes\"");
  EXPECT_EQ(first["from"], "Alice Example <alice@example.com>");
  EXPECT_EQ(first["to"], (nlohmann::json{"bob@example.com", "Carol <carol@example.com>"}));
  EXPECT_EQ(first["date"], "2010-02-03T13:02:03+00:00");
  EXPECT_EQ(first["body"], "Hello\nFrom the start\n>From quoted\n");
  EXPECT_EQ(first["type"], "text/plain");
  EXPECT_EQ(first["crlf"], true);
  EXPECT_EQ(first["defects"], 0);
  ASSERT_EQ(first["attachments"].size(), 1u);
  EXPECT_EQ(first["attachments"][0]["name"], "data.bin");
  EXPECT_EQ(first["attachments"][0]["size"], 3000);

  const auto& html = byFile.at("A_B/Inbox/000002 html.eml");
  EXPECT_EQ(html["type"], "text/html");
  EXPECT_EQ(html["date"], "2099-12-31T23:59:59+00:00");

  // The stored message is copied byte for byte.
  EXPECT_EQ(readFile(output / "A_B/Inbox/000003 As stored.eml"), readFile(dir.path() / "stored.eml"));

  const auto& note = byFile.at("A_B/__/000001 a note.eml");
  EXPECT_EQ(note["kind"], "note");
  EXPECT_EQ(note["body"], "note body\n");
  const std::string ics = byFile.at("A_B/__/000002 Meeting.ics")["text"];
  EXPECT_NE(ics.find("DTSTART:20100203T090000Z\r\n"), std::string::npos) << ics;
  EXPECT_NE(ics.find("DTEND:20100203T103000Z\r\n"), std::string::npos);
  EXPECT_NE(ics.find("LOCATION:Room 1\\; east\r\n"), std::string::npos);
  const std::string vcf = byFile.at("A_B/__/000003 Dana Scully.vcf")["text"];
  EXPECT_NE(vcf.find("N:Scully;Dana;;;\r\n"), std::string::npos) << vcf;
  EXPECT_NE(vcf.find("EMAIL;TYPE=INTERNET:dana@example.com\r\n"), std::string::npos);
  EXPECT_NE(vcf.find("NOTE:contact note\r\n"), std::string::npos);

  // Nothing existing is replaced: a second store at the same place is refused.
  EmlTreeStore again;
  EXPECT_THROW(again.CreateStore(output.string(), "x"), std::runtime_error);
  EXPECT_THROW(again.AddNote("\\\\x\\y", "b", "s", BodyKind::Utf16Text, {}), std::runtime_error);
  EXPECT_THROW(store.AddNote("\\\\Other\\y", "b", "s", BodyKind::Utf16Text, {}), std::runtime_error);
}

TEST(MboxOutput, FoldersOpenWithPythonsMailboxAndFromLinesAreQuoted) {
  ScratchDir dir;
  const auto output = dir.path() / "TK_A_B_3-2-2010 9-5";
  MboxTreeStore store;
  writeSampleItems(store, dir, output);
  const auto boxes = runPython(dir, kMboxReader, output);
  ASSERT_TRUE(boxes.contains("A_B/Inbox.mbox")) << boxes.dump(1);
  const auto& inbox = boxes["A_B/Inbox.mbox"];
  ASSERT_EQ(inbox.size(), 3u);
  EXPECT_EQ(inbox[0]["subject"], "Grüße and \"quotes\"");
  EXPECT_EQ(inbox[0]["from_line"], "MAILER-DAEMON Wed Feb  3 13:02:03 2010");
  EXPECT_EQ(inbox[2]["subject"], "As stored");
  EXPECT_EQ(inbox[2]["body"], "Kept byte for byte\n>From here on\n");
  EXPECT_EQ(boxes["A_B/__.mbox"].size(), 3u);
  EXPECT_EQ(boxes["A_B/__.mbox"][1]["parts"], (nlohmann::json{"multipart/mixed", "text/plain", "text/calendar"}));
  EXPECT_EQ(boxes["A_B/__.mbox"][2]["parts"], (nlohmann::json{"multipart/mixed", "text/plain", "text/vcard"}));
  EXPECT_EQ(boxes["A_B/Empty.mbox"].size(), 0u);
  EXPECT_EQ(boxes["A_B.mbox"].size(), 0u);

  // mboxrd: every "From " line of a body, quoted or not, gets one more ">".
  const std::string raw = readFile(output / "A_B/Inbox.mbox");
  EXPECT_EQ(mboxrdEntry("Subject: x\r\n\r\nFrom a\r\n>From b\r\n>>From c\r\nFromage\r\n", 0),
            "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\nSubject: x\n\n>From a\n>>From b\n>>>From c\nFromage\n\n");
}

}  // namespace
}  // namespace tarnwick::exporter

namespace tarnwick::exporter {
namespace {

// The header file gives the sender text twice, "X<X>", X often a bare name; the
// composed message keeps the name and sends no made-up address, and a real address stays.
TEST(MimeComposer, SenderOfTheHeaderFileBecomesNameAndAddress) {
  MimeItem item;
  item.subject = "s";
  item.from = "Bob Carter<Bob Carter>";
  const std::string named = composeMime(item, LineEnding::Lf);
  EXPECT_NE(named.find("From: Bob Carter"), std::string::npos) << named;
  EXPECT_EQ(named.find("Carter<"), std::string::npos) << named;
  EXPECT_EQ(named.find("Carter <Bob"), std::string::npos) << named;
  item.from = "Bob Carter <bob@example.org><Bob Carter <bob@example.org>>";
  const std::string addressed = composeMime(item, LineEnding::Lf);
  EXPECT_NE(addressed.find("From: Bob Carter <bob@example.org>"), std::string::npos) << addressed;
  item.from = "Fran\xC3\xA7oise Dubois<francoise@example.fr>";
  const std::string stored = composeMime(item, LineEnding::Lf);
  EXPECT_NE(stored.find("<francoise@example.fr>"), std::string::npos) << stored;
  EXPECT_NE(stored.find("From: =?"), std::string::npos) << stored;  // the name encoded, apart
}

}  // namespace
}  // namespace tarnwick::exporter
