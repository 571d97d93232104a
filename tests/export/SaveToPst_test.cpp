#include "export/MessageItemWriters.h"
#include "export/OutputFormats.h"
#include "export/PstOutput.h"
#include "export/SaveEngine.h"
#include "platform/CodePage.h"
#include "tests/export/SaveFakes.h"
#include "tests/support/Commands.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::exporter {
namespace {

using namespace fakes;
using tarnwick::testing::ScratchDir;

class KindContent : public ItemContentReader {
 public:
  explicit KindContent(FakeItemSource& source) : source_(source) {}
  HeaderTexts headerTexts(const analysis::MessageItem& item) override {
    return {utf8ToUtf16(source_.subjectOf(item)), u"alice@example.com"};
  }
  std::optional<StoredItemBody> body(const analysis::MessageItem& item) override {
    const std::string text = "Body of " + source_.subjectOf(item);
    return StoredItemBody{1, std::vector<std::uint8_t>(text.begin(), text.end())};
  }
  std::u16string recipients(const analysis::MessageItem&) override { return u"bob@example.com"; }
  bool extractStreamedMessage(const analysis::MessageItem&, const std::filesystem::path&) override { return false; }

 private:
  FakeItemSource& source_;
};

// Every kind saved through our PST writer, read back with the libpff and libpst readers.
TEST(SaveToPst, EveryKindReadsBackWithPffexportAndReadpst) {
  ScratchDir dir;
  analysis::ScanModel model;
  model.folders.addFolderNode(fid(1), {}, u"Mailbox - Sales", analysis::FolderKind::Other, 101, std::nullopt);
  model.folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 102, std::nullopt);
  model.folders.addFolderNode(fid(3), fid(1), u"Calendar", analysis::FolderKind::Calendar, 103, std::nullopt);
  model.folders.addFolderNode(fid(4), fid(1), u"Contacts", analysis::FolderKind::Contacts, 104, std::nullopt);
  model.folders.addFolderNode(fid(5), fid(1), u"Tasks", analysis::FolderKind::Tasks, 105, std::nullopt);
  model.folders.addFolderNode(fid(6), fid(1), u"Notes", analysis::FolderKind::Notes, 106, std::nullopt);
  FakeItemSource source(model);
  std::uint16_t id = 1;
  auto add = [&](std::uint8_t folder, analysis::FolderKind kind, std::uint64_t ft, const std::string& subject) {
    analysis::MessageHeader h;
    h.messageId = mid(id++);
    h.folderId = fid(folder);
    h.time = modelTimeFromFileTime(ft);
    h.flag = kind;
    source.subjects[h.messageId] = subject;
    model.messageHeaders.addMessageHeader(h);
  };
  add(2, analysis::FolderKind::Other, fileTimeAt(2010, 2, 3, 13, 4, 5), "mail one");
  add(2, analysis::FolderKind::Other, fileTimeAt(1970, 1, 1), "too old");
  add(3, analysis::FolderKind::Calendar, fileTimeAt(2011, 4, 5, 9, 30, 0), "meeting");
  add(5, analysis::FolderKind::Tasks, fileTimeAt(2012, 1, 2), "a task");
  add(6, analysis::FolderKind::Notes, fileTimeAt(2013, 1, 2), "a note");

  // Contacts need their fields: a source that adds them to the loaded items.
  struct ContactSource : FakeItemSource {
    using FakeItemSource::FakeItemSource;
    void loadFolderItems(const analysis::FolderNode& folder, analysis::MessageItemList& items) override {
      FakeItemSource::loadFolderItems(folder, items);
      for (auto& item : items) {
        item.kind = folder.kind;
        if (folder.kind == analysis::FolderKind::Contacts) {
          std::array<std::u16string_view, analysis::ItemProperties::kSlotCount> texts{};
          texts[0] = u"Dana";
          texts[1] = u"Scully";
          texts[17] = u"dana@example.com";
          item.properties.addItemProperties(texts);
        }
      }
    }
  } items(model);
  items.subjects = source.subjects;
  analysis::MessageHeader contactHeader;
  contactHeader.messageId = mid(id++);
  contactHeader.folderId = fid(4);
  contactHeader.time = modelTimeFromFileTime(fileTimeAt(2014, 1, 1));
  items.subjects[contactHeader.messageId] = "Dana Scully";
  model.messageHeaders.addMessageHeader(contactHeader);

  ScratchDir storeDir;
  const auto dbPath = storeDir.write("store.edb", std::vector<std::uint8_t>(8192, 0));
  StoreFile db;
  ASSERT_TRUE(db.Open(dbPath.string()));
  const auto geometry = store::makeStoreGeometry(4096, 8192);
  KindContent content(items);
  const auto work = storeDir.path() / "work";
  std::filesystem::create_directory(work);
  const store::FileByteSource dbBytes(db);
  KindItemWriter writer(content, dbBytes, geometry, work);
  PstOutputFactory factory;
  RecordingObserver observer;
  ScriptedSink sink;
  SaveControl control;
  SaveSettings settings;
  settings.destination = dir.path();
  settings.freeSpace = [](const std::filesystem::path&) { return std::optional<std::uint64_t>(1ull << 40); };
  SaveEngine engine(model, items, writer, factory, observer, sink, control, settings);
  analysis::SelectionList selection{{u"Mailbox - Sales\\", 101, 0},           {u"Mailbox - Sales\\Inbox\\", 102, 0},
                                    {u"Mailbox - Sales\\Calendar\\", 103, 0}, {u"Mailbox - Sales\\Contacts\\", 104, 0},
                                    {u"Mailbox - Sales\\Tasks\\", 105, 0},    {u"Mailbox - Sales\\Notes\\", 106, 0}};
  control.reset();
  const auto result = engine.run(selection);
  ASSERT_EQ(result.end, SaveEnd::Completed);
  EXPECT_TRUE(result.everythingWritten()) << reportAsText(result.report);
  EXPECT_EQ(result.report.totals().written, 5u);
  EXPECT_EQ(result.report.totals().leftOut, 1u);
  ASSERT_EQ(result.outputs.size(), 1u);
  const auto pst = result.outputs[0];
  ASSERT_TRUE(std::filesystem::exists(pst));
#ifdef PSTCHECK_EXE
  const testing::CommandResult check = testing::run(std::string(PSTCHECK_EXE) + " " + testing::shellQuoted(pst));
  EXPECT_EQ(check.status, 0) << check.output;
#endif

  const auto exported = dir.path() / "pff";
  const std::string listing =
      testing::runApart("pffexport -q -t '" + exported.string() + "' '" + pst.string() + "' >/dev/null 2>&1; cd '" +
                        exported.string() + ".export' && find . -type f | sort")
          .output;
  for (const char* item : {"Mailbox - Sales/Inbox/Message00001/", "Mailbox - Sales/Calendar/Appointment00001/",
                           "Mailbox - Sales/Contacts/Contact00001/", "Mailbox - Sales/Tasks/Task00001/",
                           "Mailbox - Sales/Notes/Note00001/"})
    EXPECT_NE(listing.find(item), std::string::npos) << item << "\n" << listing;
  EXPECT_EQ(listing.find("Message00002"), std::string::npos);  // the item before 1980 is not there
  const std::string headers =
      testing::runApart("cat '" + exported.string() +
                        ".export'/*/Mailbox\\ -\\ Sales/Inbox/Message00001/OutlookHeaders.txt 2>/dev/null; "
                        "cat '" +
                        exported.string() +
                        ".export'/*/*/Mailbox\\ -\\ Sales/Inbox/Message00001/OutlookHeaders.txt 2>/dev/null")
          .output;
  EXPECT_NE(headers.find("mail one"), std::string::npos) << headers;
  const auto rp = dir.path() / "rp";
  testing::run("mkdir -p '" + rp.string() + "' && readpst -q -o '" + rp.string() + "' '" + pst.string() + "'");
  const std::string inbox = testing::readText(rp / "Inbox.mbox");
  EXPECT_NE(inbox.find("Subject: mail one"), std::string::npos) << inbox;
  EXPECT_NE(inbox.find("Date: Wed, 03 Feb 2010 13:04:05 +0000"), std::string::npos);  // the stored instant
  EXPECT_NE(inbox.find("To: bob@example.com"), std::string::npos);
  EXPECT_EQ(inbox.find("too old"), std::string::npos);
  const std::string calendar = testing::readText(rp / "Calendar.calendar");
  EXPECT_NE(calendar.find("SUMMARY:meeting"), std::string::npos) << calendar;
  EXPECT_NE(calendar.find("DTSTART;VALUE=DATE-TIME:20110405T093000Z"), std::string::npos);
  const std::string contacts = testing::readText(rp / "Contacts.contacts");
  EXPECT_NE(contacts.find("N:Scully;Dana;;;"), std::string::npos) << contacts;
  EXPECT_NE(contacts.find("EMAIL:dana@example.com"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::exporter
