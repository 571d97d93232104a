#include "export/BodyText.h"
#include "export/MessageItemWriters.h"
#include "export/SaveControl.h"
#include "export/SaveObserver.h"
#include "platform/CodePage.h"
#include "tests/export/SaveFakes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

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

std::vector<std::uint8_t> utf16Bytes(const std::u16string& s) {
  std::vector<std::uint8_t> b;
  for (char16_t c : s) {
    b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return b;
}

// One call of a writer, its arguments in order; attachment files are read at call time.
struct Call {
  std::string name;
  std::vector<std::string> args;
  std::vector<std::string> attachmentBytes;
  std::vector<std::string> attachmentNames;
};

class RecordingWriter : public MailWriter, public OutputStore {
 public:
  std::vector<Call> calls;
  bool fail = false;

  MailWriter& mail() override { return *this; }
  std::unique_ptr<ContactWriter> newContactWriter() override;
  void CreateStore(const std::string&, const std::string&) override {}
  void CreateFolder(const std::string&) override {}
  void OpenFolder(const std::string&) override {}
  void CloseFolder() override {}
  void CloseStore() override {}
  void AddMessage(const std::string& f, const std::string& s, const std::string& r, const std::string& h,
                  std::uint64_t d, const AttachmentList& a, const std::string& b, BodyKind k, const std::string&,
                  const std::string&) override {
    record("AddMessage", {f, s, r, readFile(h), fakes::utcText(d), b, std::to_string(static_cast<int>(k))}, a);
  }
  void ImportMessageFile(const std::string& f, const std::string& eml) override {
    record("ImportMessageFile", {f, readFile(eml)}, {});
  }
  void AddAppointment(const std::string& f, const std::string& s, const std::string& from, std::uint64_t st,
                      std::uint64_t en, const std::string& c, const std::string& l, const std::string& tz,
                      const std::string& b, BodyKind k, const AttachmentList& a) override {
    record("AddAppointment",
           {f, s, from, fakes::utcText(st), fakes::utcText(en), c, l, tz, b, std::to_string(static_cast<int>(k))}, a);
  }
  void AddJournalEntry(const std::string& f, const AttachmentList& a, const std::string& b, const std::string& from,
                       const std::string& s, BodyKind) override {
    record("AddJournalEntry", {f, b, from, s}, a);
  }
  void AddTask(const std::string& f, std::uint64_t d, const AttachmentList& a, const std::string& b,
               const std::string& from, const std::string& s, BodyKind) override {
    record("AddTask", {f, fakes::utcText(d), b, from, s}, a);
  }
  void AddNote(const std::string& f, const std::string& b, const std::string& s, BodyKind k,
               const AttachmentList& a) override {
    record("AddNote", {f, b, s, std::to_string(static_cast<int>(k))}, a);
  }

  // Attachment names are the names the writer is told to show, not the working files'.
  void record(const std::string& name, std::vector<std::string> args, const AttachmentList& attachments) {
    if (fail) throw std::runtime_error("cannot add the item to out.pst: disk full");
    Call c{name, std::move(args), {}, {}};
    for (const auto& file : attachments.files()) {
      c.attachmentBytes.push_back(readFile(file.path));
      c.attachmentNames.push_back(file.displayName());
      lastAttachmentPaths.push_back(file.path.string());
    }
    calls.push_back(std::move(c));
  }
  std::vector<std::string> lastAttachmentPaths;
};

class RecordingContact : public ContactWriter {
 public:
  explicit RecordingContact(RecordingWriter& w) : w_(w) {}
  void Logon() override { seq("Logon"); }
  void OpenFolder(const std::string& f) override { seq("OpenFolder " + f); }
  void CreateContact() override { seq("CreateContact"); }
  void SetField(ContactField field, const std::string& v) override {
    seq("SetField " + std::to_string(static_cast<int>(field)) + " " + v);
  }
  void AddAttachment(const std::string& p, const std::string& name) override {
    seq("AddAttachment " + name + " " + readFile(p));
  }
  void SetBody(const std::string& b) override { seq("SetBody " + b); }
  void Save() override { seq("Save"); }

 private:
  void seq(const std::string& s) {
    if (w_.calls.empty() || w_.calls.back().name != "contact") w_.calls.push_back({"contact", {}, {}, {}});
    w_.calls.back().args.push_back(s);
  }
  RecordingWriter& w_;
};

std::unique_ptr<ContactWriter> RecordingWriter::newContactWriter() { return std::make_unique<RecordingContact>(*this); }

class FakeContent : public ItemContentReader {
 public:
  HeaderTexts headerTexts(const analysis::MessageItem&) override { return {u"Subject ü", u"Sender Name"}; }
  std::optional<StoredItemBody> body(const analysis::MessageItem&) override { return storedBody; }
  std::u16string recipients(const analysis::MessageItem& item) override {
    if (onRecipients) onRecipients(item);
    return u"bob@example.com,carol@example.com";
  }
  bool extractStreamedMessage(const analysis::MessageItem&, const std::filesystem::path& path) override {
    if (!streamed) return false;
    std::ofstream(path, std::ios::binary) << *streamed;
    return true;
  }
  std::optional<StoredItemBody> storedBody = StoredItemBody{0, utf16Bytes(u"Body text")};
  std::optional<std::string> streamed;
  std::function<void(const analysis::MessageItem&)> onRecipients;
};

constexpr std::int32_t kPage = 4096;

// A store file of 4 KB pages: page 1 (at 8192) holds one record of 600 bytes at 140 from
// the page start; the file ends 100 bytes into the page at 16384.
class ItemWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> bytes(16384 + 100, 0);
    auto* page = bytes.data() + 8192;
    page[34] = 1;  // one tag
    const std::uint16_t size = 600, offset = 100;
    page[kPage - 4] = static_cast<std::uint8_t>(size);
    page[kPage - 3] = static_cast<std::uint8_t>(size >> 8);
    page[kPage - 2] = static_cast<std::uint8_t>(offset);
    page[kPage - 1] = static_cast<std::uint8_t>(offset >> 8);
    for (int i = 0; i < 600; ++i) page[140 + i] = static_cast<std::uint8_t>('a' + i % 26);
    for (int i = 0; i < 100; ++i) bytes[16384 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('0' + i % 10);
    const char inline_[] = "#inline-data";
    std::copy(inline_, inline_ + 12, bytes.begin() + 4000);
    const auto path = dir.write("store.edb", bytes);
    ASSERT_TRUE(db.Open(path.string()));
    geometry = store::makeStoreGeometry(kPage, static_cast<std::int64_t>(bytes.size()));
    work = dir.path() / "work";
    std::filesystem::create_directory(work);
    folder.name = u"Inbox";
  }

  ItemOutcome write(const analysis::MessageItem& item) {
    const store::FileByteSource dbBytes(db);
    KindItemWriter writer(content, dbBytes, geometry, work);
    const std::string folderPath = "\\\\TK_M_1-1-2020 0-0\\Mailbox - M\\Inbox";
    ItemContext ctx{out, folderPath, folder, mailbox, control, observer};
    return writer.write(item, utcFileTime(2010, 2, 3, 13, 4, 5), ctx);
  }

  static analysis::AttachmentItem Attachment(const std::u16string& name) {
    analysis::AttachmentItem a;
    a.fileName = name;
    return a;
  }

  ScratchDir dir;
  StoreFile db;
  store::StoreGeometry geometry;
  std::filesystem::path work;
  FakeContent content;
  RecordingWriter out;
  analysis::FolderNode folder;
  std::u16string mailbox = u"Mailbox - M";
  SaveControl control;
  SaveObserver observer;
};

TEST_F(ItemWritersTest, MessageGetsHeaderFileRecipientsBodyAndAttachmentFilesThatAreDeletedAfterwards) {
  analysis::MessageItem item;
  item.kind = analysis::FolderKind::Other;
  item.bodySource = store::BodySource::PlainUnicode;
  auto chunked = Attachment(u"../report:final.txt");
  chunked.longValueKey = {1, 0};
  chunked.chunks.addChunkRef(store::FileOffset(8192 + 150), 0);    // 590 bytes to the record's end
  chunked.chunks.addChunkRef(store::FileOffset(16384 + 20), 590);  // no record: up to the file's end
  item.attachments.addAttachmentItem(chunked);
  auto inlined = Attachment(u"../report:final.txt");  // same name: a file of its own
  inlined.dataOffset = store::FileOffset(4001);
  inlined.dataLength = 12;  // the format byte counts
  item.attachments.addAttachmentItem(inlined);
  item.attachments.addAttachmentItem(Attachment(u"empty.bin"));  // no data: no file

  ASSERT_EQ(write(item).result, ItemOutcome::Result::Written);
  ASSERT_EQ(out.calls.size(), 1u);
  const auto& c = out.calls[0];
  EXPECT_EQ(c.name, "AddMessage");
  EXPECT_EQ(c.args[1], "Subject ü");
  EXPECT_EQ(c.args[2], "bob@example.com,carol@example.com");
  EXPECT_EQ(c.args[3], "From: Sender Name<Sender Name>\r\n");
  EXPECT_EQ(c.args[4], "2010-02-03 13:04:05");
  EXPECT_EQ(c.args[5], "Body text");
  ASSERT_EQ(c.attachmentBytes.size(), 2u);
  // The files on disk have safe names; the writer is told the names the store holds.
  EXPECT_EQ(c.attachmentNames[0], "../report:final.txt");
  EXPECT_EQ(c.attachmentNames[1], "../report:final.txt");
  ASSERT_EQ(out.lastAttachmentPaths.size(), 2u);
  EXPECT_EQ(std::filesystem::path(out.lastAttachmentPaths[0]).filename(), ".._report_final.txt");
  EXPECT_NE(out.lastAttachmentPaths[0], out.lastAttachmentPaths[1]);
  ASSERT_EQ(c.attachmentBytes[0].size(), 590u + 80u);
  EXPECT_EQ(c.attachmentBytes[0].substr(0, 4), "klmn");  // 10 bytes into the record
  EXPECT_EQ(c.attachmentBytes[0].substr(590, 3), "012");
  EXPECT_EQ(c.attachmentBytes[1], "inline-data");
  for (const auto& p : out.lastAttachmentPaths) {
    EXPECT_TRUE(std::filesystem::path(p).string().rfind(work.string(), 0) == 0) << p;  // never outside
    EXPECT_FALSE(std::filesystem::exists(p)) << p;
  }
  EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(ItemWritersTest, SentItemsTakeTheMailboxNameAsSender) {
  EXPECT_EQ(headerFileLine(u"Anyone", u"", u"Sent Items", u"Mailbox - Sales"), "From: Sales<Sales>\r\n");
  EXPECT_EQ(headerFileLine(u"Anyone", u"", u"sent items", u"Mailbox - Sales"), "From: Anyone<Anyone>\r\n");
  folder.name = u"Sent Items";
  analysis::MessageItem item;
  ASSERT_EQ(write(item).result, ItemOutcome::Result::Written);
  EXPECT_EQ(out.calls[0].args[3], "From: M<M>\r\n");
}

TEST_F(ItemWritersTest, TheStoredSenderAddressGoesIntoTheFromLine) {
  EXPECT_EQ(headerFileLine(u"Bob", u"bob@example.com", u"Inbox", u"M"), "From: Bob<bob@example.com>\r\n");
  EXPECT_EQ(headerFileLine(u"Anyone", u"sales@example.com", u"Sent Items", u"Mailbox - Sales"),
            "From: Sales<sales@example.com>\r\n");
  // No address, or one that would break the line: the name stands in for it.
  EXPECT_EQ(headerFileLine(u"Bob", u"/O=ORG/CN=BOB", u"Inbox", u"M"), "From: Bob<Bob>\r\n");
  EXPECT_EQ(headerFileLine(u"Bob", u"a@b>\r\nX: y", u"Inbox", u"M"), "From: Bob<Bob>\r\n");
  analysis::MessageItem item;
  item.senderAddress = u"sender.name@example.net";
  ASSERT_EQ(write(item).result, ItemOutcome::Result::Written);
  EXPECT_EQ(out.calls[0].args[3], "From: Sender Name<sender.name@example.net>\r\n");
}

TEST_F(ItemWritersTest, KindsMakeTheirOwnCall) {
  analysis::MessageItem appointment;
  appointment.kind = analysis::FolderKind::Calendar;
  ASSERT_EQ(write(appointment).result, ItemOutcome::Result::Written);
  EXPECT_EQ(out.calls.back().name, "AddAppointment");
  EXPECT_EQ(out.calls.back().args[3], "2010-02-03 13:04:05");  // no times: the item's own date
  EXPECT_EQ(out.calls.back().args[4], "2010-02-03 13:04:05");
  EXPECT_EQ(out.calls.back().args[5], "");
  analysis::setAppointment(appointment.appointment, u"Bob", u"Room 1", u"UTC",
                           modelTimeFromFileTime(fakes::fileTimeAt(2011, 4, 5, 9, 30, 0)),
                           modelTimeFromFileTime(fakes::fileTimeAt(2011, 4, 5, 0, 30, 0)));
  write(appointment);
  EXPECT_EQ(out.calls.back().args[3], "2011-04-05 09:30:00");
  EXPECT_EQ(out.calls.back().args[4], "2011-04-05 00:30:00");
  EXPECT_EQ(out.calls.back().args[6], "Room 1");

  analysis::MessageItem task;
  task.kind = analysis::FolderKind::Tasks;
  write(task);
  EXPECT_EQ(out.calls.back().name, "AddTask");
  EXPECT_EQ(out.calls.back().args[1], "2010-02-03 00:00:00");  // the day alone
  analysis::MessageItem note;
  note.kind = analysis::FolderKind::Notes;
  write(note);
  EXPECT_EQ(out.calls.back().name, "AddNote");
  EXPECT_EQ(out.calls.back().args[2], "Subject ü");
  analysis::MessageItem journal;
  journal.kind = analysis::FolderKind::Journal;
  write(journal);
  EXPECT_EQ(out.calls.back().name, "AddJournalEntry");

  analysis::MessageItem streamed;
  streamed.bodySource = store::BodySource::StreamingFile;
  content.streamed = "Subject: kept\r\n\r\nbody\r\n";
  write(streamed);
  EXPECT_EQ(out.calls.back().name, "ImportMessageFile");
  EXPECT_EQ(out.calls.back().args[1], "Subject: kept\r\n\r\nbody\r\n");
  content.streamed.reset();
  const auto before = out.calls.size();
  auto failed = write(streamed);
  EXPECT_EQ(failed.result, ItemOutcome::Result::Failed);
  EXPECT_EQ(out.calls.size(), before);
  EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(ItemWritersTest, EveryKindCarriesItsAttachmentsUnderTheirStoredNames) {
  auto a = Attachment(u"..");
  a.dataOffset = store::FileOffset(4001);
  a.dataLength = 5;
  for (const analysis::FolderKind kind :
       {analysis::FolderKind::Calendar, analysis::FolderKind::Notes, analysis::FolderKind::Tasks,
        analysis::FolderKind::Journal, analysis::FolderKind::Other}) {
    analysis::MessageItem item;
    item.kind = kind;
    item.attachments.addAttachmentItem(a);
    ASSERT_EQ(write(item).result, ItemOutcome::Result::Written) << static_cast<int>(kind);
    ASSERT_EQ(out.calls.back().attachmentNames, std::vector<std::string>{".."}) << out.calls.back().name;
    EXPECT_EQ(out.calls.back().attachmentBytes, std::vector<std::string>{"inli"}) << out.calls.back().name;
  }
  EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(ItemWritersTest, ContactsGoThroughTheContactWriterInItsOrder) {
  analysis::MessageItem contact;
  contact.kind = analysis::FolderKind::Contacts;
  auto failed = write(contact);  // no fields: nothing would be saved
  EXPECT_EQ(failed.result, ItemOutcome::Result::Failed);
  EXPECT_TRUE(out.calls.empty());

  std::array<std::u16string_view, analysis::ItemProperties::kSlotCount> texts{};
  texts[0] = u"Dana";
  texts[1] = u"Scully";
  texts[14] = u"Washington";
  contact.properties.addItemProperties(texts);
  content.storedBody = StoredItemBody{1, {'n', 'o', 't', 'e', 0xE9}};
  auto photo = Attachment(u"photo.jpg");
  photo.dataOffset = store::FileOffset(4001);
  photo.dataLength = 5;
  contact.attachments.addAttachmentItem(photo);
  ASSERT_EQ(write(contact).result, ItemOutcome::Result::Written);
  ASSERT_EQ(out.calls.size(), 1u);
  EXPECT_EQ(out.calls[0].args,
            (std::vector<std::string>{"Logon", "OpenFolder \\\\TK_M_1-1-2020 0-0\\Mailbox - M\\Inbox", "CreateContact",
                                      "SetField 0 Washington", "SetField 7 Dana", "SetField 9 Scully",
                                      "AddAttachment photo.jpg inli", "SetBody noteé", "Save"}));
  // Only an 8-bit body is put.
  out.calls.clear();
  content.storedBody = StoredItemBody{0, utf16Bytes(u"wide")};
  write(contact);
  EXPECT_EQ(std::count(out.calls[0].args.begin(), out.calls[0].args.end(), std::string("SetBody wide")), 0);
}

TEST_F(ItemWritersTest, SkipDuringTheAttachmentsDropsTheItemAndAWriterFailureIsAFailure) {
  analysis::MessageItem item;
  auto a = Attachment(u"a.txt");
  a.dataOffset = store::FileOffset(4001);
  a.dataLength = 5;
  item.attachments.addAttachmentItem(a);
  auto b = a;
  b.fileName = u"b.txt";
  item.attachments.addAttachmentItem(b);
  struct SkipOnAttachments : SaveObserver {
    SaveControl* control;
    void attachmentsShown(bool v) override {
      if (v) control->requestSkip();
    }
  } skipper;
  skipper.control = &control;
  const store::FileByteSource dbBytes(db);
  KindItemWriter writer(content, dbBytes, geometry, work);
  const std::string folderPath = "\\\\S\\M\\Inbox";
  ItemContext ctx{out, folderPath, folder, mailbox, control, skipper};
  EXPECT_EQ(writer.write(item, 0, ctx).result, ItemOutcome::Result::Skipped);
  EXPECT_TRUE(out.calls.empty());
  EXPECT_TRUE(std::filesystem::is_empty(work));

  control.clearSkip();
  out.fail = true;
  auto failed = write(item);
  EXPECT_EQ(failed.result, ItemOutcome::Result::Failed);
  EXPECT_EQ(failed.reason, "cannot add the item to out.pst: disk full");
  EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST(BodyText, FormsAndSourcesDecideHowBytesAreRead) {
  const auto wide = utf16Bytes(u"Grüße\0rest");
  auto b = toWriterBody({0, wide}, store::BodySource::PlainUnicode, false);
  EXPECT_EQ(b.text, "Grüße");
  EXPECT_EQ(b.kind, BodyKind::Utf16Text);
  b = toWriterBody({1, {'<', 'p', '>', 0xE9, 0, 'x'}}, store::BodySource::Other, false);
  EXPECT_EQ(b.text, "<p>é");
  EXPECT_EQ(b.kind, BodyKind::Text8Bit);
  EXPECT_EQ(toWriterBody({3, {'{', '\\', 'r', 't', 'f', '}'}}, store::BodySource::Other, false).kind, BodyKind::Rtf);
  // For the kind other, a 'p' buffer of 8-bit text with a space stays 8-bit.
  const std::vector<std::uint8_t> narrow{'h', 'i', ' ', 'y', 'o'};
  EXPECT_EQ(toWriterBody({0, narrow}, store::BodySource::PlainUnicode, true).text, "hi yo");
  EXPECT_NE(toWriterBody({0, narrow}, store::BodySource::PlainUnicode, false).text, "hi yo");
  // Cyrillic UTF-16 has a non-zero second byte and 0x20 bytes too, but it is UTF-16.
  const std::u16string cyrillic = u"Отчёт 4 Рост";
  std::vector<std::uint8_t> utf16;
  for (char16_t c : cyrillic) {
    utf16.push_back(static_cast<std::uint8_t>(c & 0xFF));
    utf16.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  EXPECT_EQ(toWriterBody({0, utf16}, store::BodySource::PlainUnicode, true).text, "Отчёт 4 Рост");
}

}  // namespace
}  // namespace tarnwick::exporter
