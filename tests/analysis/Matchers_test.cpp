#include "analysis/AttachmentScanner.h"
#include "analysis/LongValueScanner.h"
#include "analysis/MessageRecordMatcher.h"
#include "tests/support/MessageRecords.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using namespace testing;

const std::array<std::uint8_t, 8> kIdA{1, 1, 1, 1, 1, 1, 1, 1};
const std::array<std::uint8_t, 8> kIdB{2, 2, 2, 2, 2, 2, 2, 2};
const std::array<std::uint8_t, 8> kAtt{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};

MessageItem itemFor(const std::array<std::uint8_t, 8>& id) {
  MessageItem item;
  item.messageId = MessageId::fromBytes(id);
  return item;
}

ColumnList columnsOf(std::uint32_t table) {
  ColumnList list;
  list.addColumnEntry(0x1000, table, 'P');
  list.addColumnEntry(0x0E13, table, 'A');
  list.addColumnEntry(0x9999, table + 1, 'P');
  list.addColumnEntry(0x300B, table, 11);
  return list;
}

Bytes body(std::u16string_view s) { return utf16Value(s); }

TEST(MessageRecordMatcher, ColumnsOfOneTableWithTheDefaultAddress) {
  store::MessageColumns c =
      messageColumnsFor(columnsOf(19), 19, store::PageSizeClass::Page4K, {0x8225, 0x810C, 0x8201});
  EXPECT_EQ(c.plainBody, 0x1000);
  EXPECT_EQ(c.attachments, 0x0E13);
  EXPECT_EQ(c.contact[11], 0x300B);
  EXPECT_EQ(c.address, 0x011A);
  EXPECT_EQ(c.appointmentContact, 0x8225);
  EXPECT_EQ(messageColumnsFor(columnsOf(19), 19, store::PageSizeClass::Page32K, {}).address, 0x0144);
}

TEST(MessageRecordMatcher, FirstCandidateWinsAndMatchedItemsWait) {
  store::MessageColumns columns = messageColumnsFor(columnsOf(19), 19, store::PageSizeClass::Page4K, {});
  MessageItemList items;
  items.addMessageItem(itemFor(kIdA));
  items.addMessageItem(itemFor(kIdB));
  items.addMessageItem(itemFor(kIdA));  // the same message listed twice
  Bytes page1 = makeLeafPage(4096, store::PageSizeClass::Page4K,
                             {smallMessageRecord(kIdA, {{0x1000, body(u"first")}}),
                              smallMessageRecord(kIdA, {{0x1000, body(u"second copy")}})});
  ASSERT_TRUE(
      readMessageRecords({page1, store::FileOffset(8192), store::PageSizeClass::Page4K, {}}, columns, false, items));
  EXPECT_TRUE(items[0].recordFound);
  EXPECT_TRUE(items[2].recordFound);
  EXPECT_FALSE(items[1].recordFound);
  EXPECT_EQ(items[0].bodyLength, 11);  // "first": format byte + 10 bytes
  EXPECT_EQ(items[2].bodyLength, 11);
  EXPECT_EQ(items[0].bodySource, store::BodySource::PlainUnicode);
  // A later page with other records for A changes nothing; B is completed there.
  Bytes page2 = makeLeafPage(
      4096, store::PageSizeClass::Page4K,
      {smallMessageRecord(kIdA, {{0x1000, body(u"later record")}}),
       smallMessageRecord(
           kIdB, {{0x0E13, Bytes{1, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7}}, {0x300B, body(u"Given")}})});
  ASSERT_TRUE(
      readMessageRecords({page2, store::FileOffset(12288), store::PageSizeClass::Page4K, {}}, columns, false, items));
  EXPECT_EQ(items[0].bodyLength, 11);
  EXPECT_EQ(items[0].bodyPosition.value / 4096, 2);
  ASSERT_TRUE(items[1].recordFound);
  EXPECT_EQ(items[1].kind, FolderKind::Contacts);
  ASSERT_EQ(items[1].properties.size(), 1u);
  EXPECT_EQ(*items[1].properties[0].slots[0], u"Given");
  ASSERT_EQ(items[1].attachmentIds.size(), 1u);
  EXPECT_EQ(items[1].attachmentIds.entries()[0].bytes, kAtt);
  // A page without a record marker yields no candidate.
  EXPECT_FALSE(readMessageRecords({makeLeafPage(4096, store::PageSizeClass::Page4K, {Bytes(80, 0x44)}),
                                   store::FileOffset(0),
                                   store::PageSizeClass::Page4K,
                                   {}},
                                  columns, false, items));
}

TEST(AttachmentScanner, RowsBecomeAttachmentsOnceEach) {
  MessageItemList items;
  items.addMessageItem(itemFor(kIdA));
  items.addMessageItem(itemFor(kIdB));
  items[0].attachmentIds.addAttachmentId(AttachmentId::fromBytes(kAtt));
  Bytes row = smallAttachmentRow(
      kAtt, {{0x0101, Bytes{0, 0, 0}}, {0x0107, Bytes{0, 0x12, 0x34, 0, 0}}, {0x010A, utf16Value(u"report.pdf")}});
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {row, row}, nullptr, 61);
  ColumnList none;
  AttachmentScanner scanner(items, store::PageSizeClass::Page4K, none);
  ASSERT_TRUE(scanner.scanAttachmentPage(page, store::FileOffset(4096), 61, {}));
  ASSERT_TRUE(scanner.scanAttachmentPage(page, store::FileOffset(8192), 61, {}));
  ASSERT_EQ(items[0].attachments.size(), 1u);
  const AttachmentItem& a = items[0].attachments[0];
  EXPECT_EQ(a.fileName, u"report.pdf");
  EXPECT_EQ(a.dataLength, 5);
  EXPECT_EQ(a.longValueKey, (std::array<std::uint8_t, 2>{0x34, 0x12}));
  EXPECT_TRUE(items[1].attachments.empty());
  EXPECT_EQ(scanner.rowsAccepted(), 2u);  // one row per identifier and page

  // Long-value chunks of that key reach the attachment while saving.
  Bytes chunk{0, 0, 0x34, 0x12, 0, 0, 0, 0};
  chunk.resize(40, 0x77);
  Bytes lvPage = makeLeafPage(4096, store::PageSizeClass::Page4K, {chunk});
  LongValueScanner lv(items, store::PageSizeClass::Page4K, {false, true});
  lv.scanLongValuePage(lvPage, store::FileOffset(40960));
  lv.scanLongValuePage(lvPage, store::FileOffset(40960));
  ASSERT_EQ(items[0].attachments[0].chunks.size(), 1u);
  EXPECT_EQ(items[0].attachments[0].chunks.entries()[0].chunkStart, 0u);
  EXPECT_EQ(items[0].attachments[0].chunks.entries()[0].fileOffset.value, 40960 + 40 + 2 + 6);
}

TEST(LongValueScanner, BodyKeysCollectTheirChunks) {
  MessageItemList items;
  items.addMessageItem(itemFor(kIdA));
  items[0].bodyKeyA = LongValueKey{0x12, 0x34, 0, 0};
  items[0].bodyKeyB = LongValueKey{0x56, 0x78, 0, 0};
  Bytes a{0, 0, 0x12, 0x34, 0, 0, 0, 0};
  a.resize(30, 1);
  Bytes b{0, 0, 0x56, 0x78, 0, 0, 0x0F, 0xAE};  // offset 4014
  b.resize(30, 2);
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {a, b});
  LongValueScanner lv(items, store::PageSizeClass::Page4K, {true, false});
  lv.scanLongValuePage(page, store::FileOffset(4096));
  ASSERT_EQ(items[0].bodyChunksA.size(), 1u);
  ASSERT_EQ(items[0].bodyChunksB.size(), 1u);
  EXPECT_EQ(items[0].bodyChunksB.entries()[0].chunkStart, 4014u);
  LongValueScanner nothing(items, store::PageSizeClass::Page4K, {false, true});
  EXPECT_TRUE(nothing.empty());
}

}  // namespace
}  // namespace tarnwick::analysis

namespace tarnwick::analysis {
namespace {

// A 32 KB attachment row: the identifier at slot + 8, a second copy 41 bytes on, the
// directory 10 bytes after it.
Bytes largeRow(const std::array<std::uint8_t, 8>& id, std::u16string_view name) {
  Bytes rec(8, 0);
  Bytes idBytes(id.begin(), id.end());
  appendBytes(rec, idBytes);
  rec.resize(rec.size() + 33, 0);
  appendBytes(rec, idBytes);
  rec.resize(rec.size() + 2, 0);
  appendBytes(rec, directory({{0x0120, utf16Value(name)}, {0x0131, Bytes{0, 0xAB, 0xCD, 0, 0}}}));
  return rec;
}

TEST(AttachmentScanner, LargeStoresConsumeAnIdentifierOnceFound) {
  MessageItemList items;
  MessageItem item = itemFor(kIdA);
  item.ownerKey = "KEY";
  item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(kAtt));
  items.addMessageItem(item);
  MessageItem stranger = itemFor(kIdB);
  stranger.ownerKey = "OTHER";
  stranger.attachmentIds.addAttachmentId(AttachmentId::fromBytes(kAtt));
  items.addMessageItem(stranger);
  ColumnList columns;
  columns.addColumnEntry(0x0120, 300, 'A');
  columns.addColumnEntry(0x0131, 300, 'I');
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K,
                            {largeRow(kAtt, u"one.txt"), largeRow(kAtt, u"two.txt")}, nullptr, 300);
  AttachmentScanner scanner(items, store::PageSizeClass::Page32K, columns, 0);
  EXPECT_FALSE(scanner.singleItemDone());
  ASSERT_TRUE(scanner.scanAttachmentPage(page, store::FileOffset(32768), 300, std::string("KEY")));
  ASSERT_EQ(items[0].attachments.size(), 1u);
  EXPECT_EQ(items[0].attachments[0].fileName, u"one.txt");
  EXPECT_EQ(items[0].attachments[0].ownerObjectId, (std::array<std::uint8_t, 2>{0x2C, 0x01}));
  EXPECT_TRUE(scanner.singleItemDone());
  // Another mailbox's item is not completed from this table.
  AttachmentScanner all(items, store::PageSizeClass::Page32K, columns);
  all.scanAttachmentPage(page, store::FileOffset(32768), 300, std::string("KEY"));
  EXPECT_TRUE(items[1].attachments.empty());
}

}  // namespace
}  // namespace tarnwick::analysis
