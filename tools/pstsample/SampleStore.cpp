#include "tools/pstsample/SampleStore.h"

#include <fstream>

#include "platform/FileTime.h"
#include "pst/PstMailWriter.h"

namespace tarnwick::pstsample {

using namespace tarnwick::pst;

namespace {

std::filesystem::path makeFile(const std::filesystem::path& dir, const std::string& name, std::uint64_t size,
                               std::uint32_t rng) {
  std::filesystem::path p = dir / name;
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  std::vector<char> block(1 << 16);
  std::uint64_t written = 0;
  while (written < size) {
    for (char& c : block) {
      rng = rng * 1103515245u + 12345u;
      c = static_cast<char>(rng >> 16);
    }
    auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), size - written));
    out.write(block.data(), n);
    written += static_cast<std::uint64_t>(n);
  }
  return p;
}

std::string path(const std::string& store, const std::string& folder) { return "\\\\" + store + "\\" + folder; }

}  // namespace

nlohmann::json writeSampleStore(const SampleOptions& o) {
  std::filesystem::create_directories(o.workDir);
  const std::string store = "TK_Sample Mailbox";
  PstMailWriter mail;
  nlohmann::json manifest;
  manifest["store"] = store;
  auto& items = manifest["items"];
  auto note = [&](const std::string& folder, nlohmann::json item) {
    item["folder"] = folder;
    items.push_back(std::move(item));
  };
  mail.CreateStore(o.output.string(), store);
  for (const char* f :
       {"Mailbox", "Mailbox\\Inbox", "Mailbox\\Inbox\\Projects", "Mailbox\\Sent Items", "Mailbox\\Calendar",
        "Mailbox\\Contacts", "Mailbox\\Tasks", "Mailbox\\Notes", "Mailbox\\Journal", "Mailbox\\Empty folder"})
    mail.CreateFolder(path(store, f));
  manifest["folders"] = {"Mailbox",  "Inbox", "Projects", "Sent Items", "Calendar",
                         "Contacts", "Tasks", "Notes",    "Journal",    "Empty folder"};

  std::filesystem::path header = o.workDir / "temp.eml";
  auto writeHeader = [&](const std::string& sender) {
    std::ofstream(header, std::ios::binary | std::ios::trunc) << "From: " << sender << "<" << sender << ">\r\n";
  };

  // Mail: plain text, HTML, RTF, with recipients and attachments.
  const std::string inbox = "Mailbox\\Inbox";
  mail.OpenFolder(path(store, inbox));
  writeHeader("alice@example.com");
  mail.AddMessage(path(store, inbox), "Plain text message", "bob@example.com,carol@example.org", header.string(),
                  utcFileTime(2010, 2, 3, 9, 5, 7), "", "Hello Bob,\r\nthis is the body.\r\n", BodyKind::Utf16Text, "",
                  "");
  note(inbox, {{"kind", "mail"},
               {"subject", "Plain text message"},
               {"sender", "alice@example.com"},
               {"recipients", {"bob@example.com", "carol@example.org"}},
               {"date", "2010-02-03T09:05:07Z"},
               {"body", "Hello Bob,\r\nthis is the body.\r\n"}});
  writeHeader("dave@example.net");
  auto small = makeFile(o.workDir, "report.txt", 1500, 7);
  auto medium = makeFile(o.workDir, "photo.bin", 100000, 11);
  mail.AddMessage(path(store, inbox), "HTML message with attachments", "Erin <erin@example.com>", header.string(),
                  utcFileTime(2011, 12, 31, 23, 59, 59), small.string() + ";" + medium.string() + ";",
                  "<html><body><p>Hi <b>Erin</b></p></body></html>", BodyKind::Text8Bit, "", "");
  note(inbox, {{"kind", "mail"},
               {"subject", "HTML message with attachments"},
               {"sender", "dave@example.net"},
               {"recipients", {"erin@example.com"}},
               {"date", "2011-12-31T23:59:59Z"},
               {"html", "<html><body><p>Hi <b>Erin</b></p></body></html>"},
               {"attachments", {{{"name", "report.txt"}, {"size", 1500}}, {{"name", "photo.bin"}, {"size", 100000}}}}});
  writeHeader("frank@example.com");
  mail.AddMessage(
      path(store, inbox), "RTF message", "grace@example.com", header.string(), utcFileTime(2012, 7, 4, 12, 0, 0), "",
      "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}}\\f0 Rich \\b text\\b0 body.\\par}", BodyKind::Rtf, "", "");
  note(inbox, {{"kind", "mail"},
               {"subject", "RTF message"},
               {"sender", "frank@example.com"},
               {"recipients", {"grace@example.com"}},
               {"date", "2012-07-04T12:00:00Z"}});
  mail.CloseFolder();

  const std::string projects = "Mailbox\\Inbox\\Projects";
  writeHeader("heidi@example.com");
  mail.AddMessage(path(store, projects), "Unicode subject \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC", "ivan@example.com",
                  header.string(), utcFileTime(2009, 1, 15, 15, 4, 5), "",
                  "Gr\xC3\xBC\xC3\x9F"
                  "e",
                  BodyKind::Utf16Text, "", "");
  note(projects, {{"kind", "mail"},
                  {"subject", "Unicode subject \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC"},
                  {"sender", "heidi@example.com"},
                  {"recipients", {"ivan@example.com"}},
                  {"date", "2009-01-15T15:04:05Z"},
                  {"body",
                   "Gr\xC3\xBC\xC3\x9F"
                   "e"}});

  const std::string sent = "Mailbox\\Sent Items";
  writeHeader("Mailbox");
  mail.AddMessage(path(store, sent), "Sent message", "judy@example.com", header.string(),
                  utcFileTime(2010, 3, 2, 9, 5, 0), "", "Sent body", BodyKind::Utf16Text, "", "");
  note(sent, {{"kind", "mail"},
              {"subject", "Sent message"},
              {"sender", "Mailbox"},
              {"recipients", {"judy@example.com"}},
              {"date", "2010-03-02T09:05:00Z"},
              {"body", "Sent body"}});

  const std::string calendar = "Mailbox\\Calendar";
  mail.AddAppointment(path(store, calendar), "Team meeting", "alice@example.com", utcFileTime(2013, 5, 6, 10, 0, 0),
                      utcFileTime(2013, 5, 6, 11, 30, 0), "Bob", "Room 4", "(UTC) Coordinated Universal Time", "Agenda",
                      BodyKind::Utf16Text, {});
  note(calendar, {{"kind", "appointment"},
                  {"subject", "Team meeting"},
                  {"sender", "alice@example.com"},
                  {"start", "2013-05-06T10:00:00Z"},
                  {"end", "2013-05-06T11:30:00Z"},
                  {"location", "Room 4"},
                  {"body", "Agenda"}});

  const std::string contacts = "Mailbox\\Contacts";
  {
    PstContactWriter contact(mail);
    contact.Logon();
    contact.OpenFolder(path(store, contacts));
    contact.CreateContact();
    contact.SetField(ContactField::FirstName, "Karl");
    contact.SetField(ContactField::LastName, "Keller");
    contact.SetField(ContactField::CompanyName, "Keller GmbH");
    contact.SetField(ContactField::Email1Address, "karl@keller.example");
    contact.SetField(ContactField::BusinessTelephoneNumber, "+49 30 1234");
    contact.SetField(ContactField::BusinessAddressCity, "Berlin");
    contact.SetField(ContactField::JobTitle, "Engineer");
    contact.SetBody("Met at the fair.");
    contact.Save();
  }
  note(contacts, {{"kind", "contact"},
                  {"subject", "Karl Keller"},
                  {"email", "karl@keller.example"},
                  {"company", "Keller GmbH"},
                  {"body", "Met at the fair."}});

  const std::string tasks = "Mailbox\\Tasks";
  mail.AddTask(path(store, tasks), utcFileTime(2010, 2, 3), "", "Task body", "alice@example.com", "File the report",
               BodyKind::Utf16Text);
  note(tasks,
       {{"kind", "task"}, {"subject", "File the report"}, {"date", "2010-02-03T00:00:00Z"}, {"body", "Task body"}});

  const std::string notes = "Mailbox\\Notes";
  mail.AddNote(path(store, notes), "Remember the milk", "Remember the milk", BodyKind::Utf16Text, {});
  note(notes, {{"kind", "note"}, {"subject", "Remember the milk"}, {"body", "Remember the milk"}});

  const std::string journal = "Mailbox\\Journal";
  auto journalFile = makeFile(o.workDir, "call-notes.txt", 300, 3);
  mail.AddJournalEntry(path(store, journal), journalFile.string() + ";", "Called about the offer", "alice@example.com",
                       "Phone call", BodyKind::Utf16Text);
  note(journal, {{"kind", "journal"},
                 {"subject", "Phone call"},
                 {"body", "Called about the offer"},
                 {"attachments", {{{"name", "call-notes.txt"}, {"size", 300}}}}});

  if (o.largeAttachmentBytes > 0) {
    auto big = makeFile(o.workDir, "large.bin", o.largeAttachmentBytes, 99);
    writeHeader("big@example.com");
    mail.AddMessage(path(store, inbox), "Large attachment", "bob@example.com", header.string(),
                    utcFileTime(2014, 6, 7, 8, 0, 0), big.string() + ";", "See attachment", BodyKind::Utf16Text, "",
                    "");
    note(inbox, {{"kind", "mail"},
                 {"subject", "Large attachment"},
                 {"sender", "big@example.com"},
                 {"body", "See attachment"},
                 {"attachments", {{{"name", "large.bin"}, {"size", o.largeAttachmentBytes}}}}});
  }
  if (o.manyAttachments > 0) {
    std::string list;
    nlohmann::json files = nlohmann::json::array();
    for (int i = 0; i < o.manyAttachments; ++i) {
      std::string name = "part" + std::to_string(i) + ".txt";
      list +=
          makeFile(o.workDir, name, 64 + static_cast<std::uint64_t>(i), static_cast<std::uint32_t>(i)).string() + ";";
      files.push_back({{"name", name}, {"size", 64 + i}});
    }
    writeHeader("many@example.com");
    mail.AddMessage(path(store, projects), "Many attachments", "bob@example.com", header.string(),
                    utcFileTime(2014, 6, 8, 8, 0, 0), list, "Many", BodyKind::Utf16Text, "", "");
    note(projects, {{"kind", "mail"},
                    {"subject", "Many attachments"},
                    {"sender", "many@example.com"},
                    {"body", "Many"},
                    {"attachments", files}});
  }
  if (o.bulkMessages > 0) {
    const std::string bulk = "Mailbox\\Bulk";
    mail.CreateFolder(path(store, bulk));
    writeHeader("bulk@example.com");
    for (int i = 0; i < o.bulkMessages; ++i)
      mail.AddMessage(path(store, bulk), "Bulk message " + std::to_string(i), "bob@example.com", header.string(),
                      utcFileTime(2015, 1, 1, 10, 0, 0), "", "Bulk body " + std::to_string(i), BodyKind::Utf16Text, "",
                      "");
    manifest["bulk"] = {{"folder", bulk}, {"count", o.bulkMessages}};
  }
  mail.CloseStore();
  return manifest;
}

}  // namespace tarnwick::pstsample
