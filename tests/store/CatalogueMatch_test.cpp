#include "store/CatalogueMatch.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::store {
namespace {

using testing::Bytes;
using K = CatalogueMatchKind;

// Matches one record standing alone in a buffer (the record is the whole buffer).
std::optional<CatalogueMatch> match(const Bytes& record,
                                    store::PageSizeClass pageSizeClass = store::PageSizeClass::Page4K) {
  return matchCatalogueRecord(BoundedBytes(record), 0, static_cast<std::int64_t>(record.size()), pageSizeClass);
}

TEST(CatalogueMatch, MailboxNeedsItsExactNameLength) {
  auto m = match(testing::tableRecord("Mailbox", 21, 137));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::MailboxTable);
  EXPECT_EQ(m->objectId, 21u);
  EXPECT_EQ(m->rootPage, 137u);
  // "Mailboxes" stores the length 9: not the mailbox table.
  EXPECT_FALSE(match(testing::tableRecord("Mailboxes", 21, 137)));
}

TEST(CatalogueMatch, MsgNeedsOwningTable19AndTheSearchGoesOnInTheRecord) {
  EXPECT_FALSE(match(testing::tableRecord("Msg", 19, 50, /*owningTable=*/20)));
  auto m = match(testing::tableRecord("Msg", 19, 50, 19));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::MessageTable);
  EXPECT_EQ(m->rootPage, 50u);
  // A failing "Msg" does not end the record: a column name later on still matches.
  Bytes record = testing::tableRecord("Msg", 19, 50, 20);
  Bytes column = testing::columnRecord("S3d001f", 40, 0x120);
  record.insert(record.end(), column.begin(), column.end());
  m = match(record);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::NoteColumn);
  EXPECT_EQ(m->letter, 'S');
  EXPECT_EQ(m->columnId, 0x120);
}

TEST(CatalogueMatch, BodyAndFolderSuffixesIn32KStores) {
  EXPECT_FALSE(match(testing::tableRecord("Body-4-48A06756", 70, 80), store::PageSizeClass::Page4K));
  auto m = match(testing::tableRecord("Body-4-48A06756", 70, 80), store::PageSizeClass::Page32K);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::BodyTable);
  EXPECT_EQ(m->suffix, "4-48A06756");

  m = match(testing::tableRecord("Folders-4-48A06756", 71, 81, 1, 9), store::PageSizeClass::Page32K);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::FolderTable);
  EXPECT_EQ(m->suffix, "4-48A06756");
  m = match(testing::tableRecord("Folders", 8, 81, 1, 9), store::PageSizeClass::Page4K);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->suffix.empty());
  EXPECT_FALSE(match(testing::tableRecord("Folders", 8, 81, 1, 7), store::PageSizeClass::Page4K));  // marker not 9
}

TEST(CatalogueMatch, LongValueRecordsByOwningTableAndFormat) {
  auto m = match(testing::columnRecord("LV", 19, 44, 300));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::MessageLongValue);
  EXPECT_EQ(m->objectId, 44u);
  EXPECT_EQ(m->rootPage, 300u);
  m = match(testing::columnRecord("LV", 61, 45, 301));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::SecondLongValue);
  EXPECT_FALSE(match(testing::columnRecord("LV", 62, 45, 301), store::PageSizeClass::Page4K));
  m = match(testing::columnRecord("LV", 62, 45, 301), store::PageSizeClass::Page32K);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::TableLongValue);
  EXPECT_EQ(m->tableObjectId, 62u);
}

TEST(CatalogueMatch, ColumnsThatBelongToTheMessageTableIn4KAnd8KStores) {
  // 'I' names, record columns and contact columns need table 19 in classes 0 and 1 only.
  EXPECT_FALSE(match(testing::columnRecord("T8199", 40, 5), store::PageSizeClass::Page8K));
  EXPECT_EQ(match(testing::columnRecord("T8199", 19, 5), store::PageSizeClass::Page8K)->letter, 'I');
  EXPECT_EQ(match(testing::columnRecord("T6000", 19, 5), store::PageSizeClass::Page8K)->letter, 'I');
  EXPECT_EQ(match(testing::columnRecord("T6100", 40, 5), store::PageSizeClass::Page32K)->letter, 'J');
  EXPECT_EQ(match(testing::columnRecord("N1009", 19, 5), store::PageSizeClass::Page4K)->letter, 'R');
  EXPECT_FALSE(match(testing::columnRecord("N1009", 40, 5), store::PageSizeClass::Page4K));
  EXPECT_EQ(match(testing::columnRecord("N67b4", 40, 5), store::PageSizeClass::Page32K)->letter, 'T');
  // The sender's address is a record column like the bodies.
  EXPECT_EQ(match(testing::columnRecord("S0c1f", 19, 5), store::PageSizeClass::Page4K)->letter, 'E');
  EXPECT_FALSE(match(testing::columnRecord("S0c1f", 40, 5), store::PageSizeClass::Page4K));
  EXPECT_EQ(match(testing::columnRecord("S0c1f", 40, 5), store::PageSizeClass::Page32K)->letter, 'E');
  // Contact names ignore letter case; a longer name with the same beginning matches.
  auto m = match(testing::columnRecord("s3A4F001F", 19, 7), store::PageSizeClass::Page4K);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::MessageColumn);
  EXPECT_EQ(m->letter, 1);
  EXPECT_EQ(match(testing::columnRecord("S801a", 19, 7), store::PageSizeClass::Page4K)->letter, 15);
  EXPECT_EQ(match(testing::columnRecord("S3a27", 19, 7), store::PageSizeClass::Page4K)->letter, 13);
  // The named columns of the message table.
  m = match(testing::columnRecord("S8225", 19, 0x33, 31));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->kind, K::Column8225);
  EXPECT_EQ(m->columnType, 31u);
}

TEST(CatalogueMatch, NoteAttachmentAndContainerClassColumns) {
  EXPECT_FALSE(match(testing::columnRecord("S42001f", 40, 9), store::PageSizeClass::Page4K));  // sender: 32 KB only
  EXPECT_EQ(match(testing::columnRecord("S42001f", 40, 9), store::PageSizeClass::Page32K)->letter, 'F');
  EXPECT_EQ(match(testing::columnRecord("Se1d", 40, 9), store::PageSizeClass::Page4K)->letter, 'T');
  EXPECT_FALSE(match(testing::columnRecord("S3704", 40, 9), store::PageSizeClass::Page4K));
  EXPECT_EQ(match(testing::columnRecord("S3704", 40, 9), store::PageSizeClass::Page32K)->kind, K::AttachmentColumn);
  EXPECT_EQ(match(testing::columnRecord("S361", 8, 0x147, 5))->kind, K::ContainerClass);
  EXPECT_FALSE(match(testing::columnRecord("S3613", 9, 0x147, 5), store::PageSizeClass::Page4K));
  EXPECT_EQ(match(testing::columnRecord("S3613", 9, 0x147, 5), store::PageSizeClass::Page32K)->kind,
            K::ContainerClassOther);
  // "S3d" wants a zero byte before the name.
  Bytes record = testing::columnRecord("S3d", 40, 9);
  record[29] = 1;
  EXPECT_FALSE(match(record));
}

TEST(CatalogueMatch, ReadsBeforeTheRecordStayInsideThePage) {
  // A record at the very start of the page whose name sits at 20: the distances back
  // reach before the page and read nothing.
  Bytes page(64, 0);
  testing::putText(page, 20, "Mailbox");
  page[18] = 7;
  auto m = matchCatalogueRecord(BoundedBytes(page), 0, 40, store::PageSizeClass::Page4K);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->objectId, 0u);  // N - 24 lies before the page
  // A record end past the page is cut to the page.
  EXPECT_TRUE(matchCatalogueRecord(BoundedBytes(page), 0, 4000, store::PageSizeClass::Page4K));
}

// A damaged page can cut its records so that thousands of them span most of the page. The
// page matcher gives what each record gives on its own, yet looks at each position once.
TEST(CatalogueMatch, OverlappingRecordsOfAPageAreSearchedOnce) {
  Bytes page(32768, 0x20);
  const Bytes mailbox = testing::tableRecord("Mailbox", 21, 137);
  const Bytes column = testing::columnRecord("S8225", 19, 0x33, 31);
  std::copy(mailbox.begin(), mailbox.end(), page.begin() + 20000);
  std::copy(column.begin(), column.end(), page.begin() + 30000);
  const BoundedBytes bytes(page);
  CataloguePageMatcher matcher(bytes, PageSizeClass::Page32K);
  std::uint32_t state = 12345;
  for (int i = 0; i < 4000; ++i) {
    state = state * 1103515245u + 12345u;
    const std::int64_t start = (state >> 8) % 4096;
    const std::int64_t end = 16384 + static_cast<std::int64_t>((state >> 4) % 20000);
    const auto one = matchCatalogueRecord(bytes, start, end, PageSizeClass::Page32K);
    const auto together = matcher.matchRecord(start, end);
    ASSERT_EQ(one.has_value(), together.has_value()) << start << " " << end;
    if (one) {
      EXPECT_EQ(one->kind, together->kind);
      EXPECT_EQ(one->namePosition, together->namePosition);
    }
  }
  EXPECT_LE(matcher.positionsExamined(), 32769);
}

}  // namespace
}  // namespace tarnwick::store
