#include "codec/SevenBitText.h"
#include "content/HeaderTexts.h"
#include "content/MessageRow.h"
#include "content/MhtNaming.h"
#include "content/PreviewAssembly.h"
#include "content/RowSorting.h"
#include "platform/FileTime.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace tarnwick::content {
namespace {

using namespace testing;

class KolkataTime : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    if (old != nullptr) saved_ = old;
    setenv("TZ", "Asia/Kolkata", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> saved_;
};

ModelTime utcTime(int year, int month, int day, int hour) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  return modelTimeFromFileTime(static_cast<std::uint64_t>(timegm(&tm)) * kFileTimeTicksPerSecond + kFileTimeUnixEpoch);
}

TEST(MessageRowTexts, FromColumnRules) {
  ListedFolder inbox{u"Inbox", analysis::FolderKind::Other};
  ListedFolder sent{u"Sent Items", analysis::FolderKind::Other};
  const std::u16string_view mailbox = u"Mailbox - Jane Doe\\";
  EXPECT_EQ(narrow(fromText(u"Bob", analysis::FolderKind::Other, inbox, mailbox)), "Bob");
  EXPECT_EQ(narrow(fromText(u"Bob", analysis::FolderKind::Other, sent, mailbox)), "Jane Doe");
  EXPECT_EQ(narrow(fromText(u"", analysis::FolderKind::Contacts, inbox, mailbox)), "Jane Doe");
  EXPECT_EQ(narrow(fromText(u"", analysis::FolderKind::Other, inbox, mailbox)), "");
  EXPECT_EQ(itemIcon(analysis::FolderKind::Calendar), 0);
  EXPECT_EQ(itemIcon(analysis::FolderKind::Tasks), 10);
  EXPECT_EQ(itemIcon(analysis::FolderKind::Other), 12);
}

TEST_F(KolkataTime, RowsCarryTheirTextsAndSkipOutOfRangeDates) {
  analysis::MessageItem item;
  item.time = utcTime(2010, 3, 1, 0);
  item.kind = analysis::FolderKind::Notes;
  item.primaryOffset = 100;
  item.attachmentIds.addAttachmentId(analysis::AttachmentId{});
  auto row = makeMessageRow(item, {u"Subject", u""}, {u"Notes", analysis::FolderKind::Notes}, u"Mailbox - Al\\");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->icon, 7);
  EXPECT_TRUE(row->attachmentMark);
  EXPECT_EQ(narrow(row->from), "Al");
  EXPECT_EQ(narrow(row->subject), "Subject");
  EXPECT_EQ(narrow(row->date), "Mon 01/03/2010 05:30:00 AM");
  EXPECT_EQ(narrow(row->sort.date), "2010-03-01 05:30:00");
  EXPECT_EQ(narrow(row->sort.attachmentFlag), "1");
  item.primaryOffset = 0;
  EXPECT_TRUE(makeMessageRow(item, {u"Subject", u""}, {u"Notes", analysis::FolderKind::Notes}, u"")->subject.empty());
  item.time = utcTime(1979, 12, 31, 12);
  EXPECT_FALSE(makeMessageRow(item, {}, {u"Notes", analysis::FolderKind::Notes}, u""));
}

TEST_F(KolkataTime, SortingFlipsAndUsesTheWholeDateRange) {
  SortRecord early, late, broken;
  early.from = u"bob";
  late.from = u"ALICE";
  early.date = u"2010-03-01 05:30:00";
  late.date = u"2095-01-01 00:00:00";
  broken.date = u"2100-01-01 00:00:00";
  RowSorter sorter;
  EXPECT_EQ(sorter.compareRows(&early, &late, 2), 1);  // "BOB" after "ALICE"
  EXPECT_EQ(sorter.compareRows(&early, &late, 4), -1);
  EXPECT_EQ(sorter.compareRows(&broken, &early, 4), -1);  // out of range counts as time 0
  EXPECT_EQ(sorter.compareRows(&early, nullptr, 4), 0);
  EXPECT_EQ(sorter.compareRows(&early, &late, 4, true), 0);
  sorter.sorted();
  EXPECT_EQ(sorter.direction(), 'd');
  EXPECT_EQ(sorter.compareRows(&early, &late, 4), 1);
  sorter.sorted();
  EXPECT_EQ(sorter.compareRows(&early, &late, 4), -1);
}

TEST(HeaderTextsReader, SubjectAndSenderFromTheHeaderPage) {
  Bytes db(4 * 4096, 0);
  const std::size_t page = 4096;
  Bytes first(1, 0x1F);
  appendUtf16(first, u"Re: ");
  Bytes second(1, 0x1F);
  appendUtf16(second, u"Lunch");
  Bytes third(1, 0x1F);
  appendUtf16(third, u"Carl");  // the length below runs past it into zeros, which end it
  putBytes(db, page + 100, first);
  putBytes(db, page + 200, second);
  putBytes(db, page + 300, third);
  analysis::MessageItem item;
  item.pageOffset = store::FileOffset(static_cast<std::int64_t>(page));
  item.primaryOffset = 101;
  item.primaryLength = static_cast<std::uint16_t>(first.size());
  item.secondaryOffset = 201;
  item.secondaryLength = static_cast<std::uint16_t>(second.size());
  item.thirdOffset = 301;
  item.thirdLength = static_cast<std::uint16_t>(third.size() + 10);
  store::MemoryByteSource src(db);
  store::StoreGeometry g = store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size()));
  HeaderTexts t = readHeaderTexts(src, g, item);
  EXPECT_EQ(narrow(t.subject), "Re: Lunch");
  EXPECT_EQ(narrow(t.sender), "Carl");
  // The sender of a message record: 8-bit text after a length byte in the record's page.
  Bytes sender{0x05};
  append(sender, "Dana!");
  putBytes(db, 2 * page + 500, sender);
  item.thirdPageOffset = store::FileOffset(static_cast<std::int64_t>(2 * page));
  item.thirdOffset = 500;
  item.thirdLength = 4;
  EXPECT_EQ(narrow(readHeaderTexts(src, g, item).sender), "Dana");
}

TEST(HeaderTextsReader, LargePageTextsAreUnpacked) {
  Bytes page(32768, 0);
  std::optional<Bytes> packed = codec::encode7Bit(Bytes{'P', 'a', 'c', 'k', 'e', 'd'}, codec::SevenBitKind::Ascii);
  ASSERT_TRUE(packed);
  page[999] = 3;
  putBytes(page, 1000, *packed);
  EXPECT_EQ(narrow(headerText(page, 1000, static_cast<std::uint16_t>(packed->size() + 1), true, 1000)), "Packed");
  // Offsets past the page read nothing.
  EXPECT_TRUE(headerText(page, 40000, 10, true, 1000).empty());
}

// Characters whose low byte is 0, 1 or 2 (、 一 Ā ā Ă Ё and many more CJK and Cyrillic ones)
// are part of a text like any other; only a zero character or the value's end ends it.
TEST(HeaderTextsReader, EveryCharacterBelongsToTheTextUpToAZeroOrItsEnd) {
  const std::u16string text = u"RE: Grüße aus K\u3001ln \u4E00\u0100\u0101\u0102\u0401\u0200";
  for (bool large : {false, true}) {
    Bytes page(large ? 32768 : 4096, 0);
    page[999] = large ? 0x0B : 0x01;  // a format byte that is not the 7-bit one
    putUtf16(page, 1000, text);
    const auto length = static_cast<std::uint16_t>(2 * text.size() + 1);
    EXPECT_EQ(headerText(page, 1000, length, large, 1000), text) << large;
    // A zero character ends the text before its value's end.
    page[1000 + 8] = 0;
    page[1000 + 9] = 0;
    EXPECT_EQ(headerText(page, 1000, length, large, 1000), u"RE: ") << large;
  }
}

class PreviewFiles : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / ("preview_" + std::to_string(::getpid()));
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(PreviewFiles, MhtNamesAreFreshAndTheOldOneGoes) {
  MhtNaming naming;
  std::filesystem::path eml = dir / "TarnBody.eml";
  std::ofstream(eml) << "one";
  std::filesystem::path first = naming.showNext(eml);
  EXPECT_EQ(first.filename(), "TarnBody1.mht");
  std::ofstream(eml) << "two";
  std::filesystem::path second = naming.showNext(eml);
  EXPECT_EQ(second.filename(), "TarnBody2.mht");
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(std::filesystem::exists(second));
  EXPECT_FALSE(std::filesystem::exists(eml));
}

TEST_F(PreviewFiles, PreviewOfAMessageWithInlineBodyAndRecipients) {
  Bytes db(3 * 4096, 0);
  Bytes body(1, 0x1F);
  appendUtf16(body, u"Hello there");
  putBytes(db, 5000, body);
  Bytes to;
  append(to, "ann@example.com;bob@example.org");
  putBytes(db, 6000, to);
  analysis::MessageItem item;
  item.bodySource = store::BodySource::PlainUnicode;
  item.bodyPosition = store::FileOffset(5000);
  item.bodyLength = static_cast<std::uint16_t>(body.size());
  item.recipientPosition = store::FileOffset(6000);
  item.recipientLength = static_cast<std::uint16_t>(to.size());
  item.kind = analysis::FolderKind::Contacts;
  item.properties.addItemProperties({u"Ann"});
  analysis::AttachmentItem a;
  a.fileName = u"a.txt";
  item.attachments.addAttachmentItem(a);
  a.fileName = u"b.txt";
  item.attachments.addAttachmentItem(a);
  store::MemoryByteSource src(db);
  PreviewSources sources{src, nullptr, store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size())), dir};
  MhtNaming naming;
  std::u16string longSubject(137, u's');
  PreviewData p = assemblePreview(item, analysis::FolderKind::Other, u"From", longSubject, u"Date", sources, naming);
  EXPECT_EQ(p.kind, PreviewKind::Contact);
  EXPECT_EQ(narrow(p.to), "ann@example.com,bob@example.org");
  EXPECT_EQ(p.subject.size(), 139u);
  EXPECT_EQ(narrow(p.attachments), "a.txt, b.txt");
  EXPECT_EQ(p.bodyPath.filename(), "TarnBody.txt");
  EXPECT_FALSE(p.rtf);
  EXPECT_EQ(std::filesystem::file_size(p.bodyPath), 22u);
  ASSERT_EQ(p.summaryLines.size(), 1u);
  EXPECT_EQ(narrow(p.summaryLines[0]), "First Name :   Ann");
  EXPECT_EQ(cutText(std::u16string(136, u'x'), 136).size(), 136u);
}

}  // namespace
}  // namespace tarnwick::content
