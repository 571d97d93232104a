#include "store/MailboxRecord.h"
#include "analysis/KeyText.h"
#include "codec/SevenBitText.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::store {
namespace {

using testing::Bytes;
using testing::Id8;

const Id8 kId{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};

TEST(MailboxRecord, ReadsIdentifierAndNameOfA4KRecord) {
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  auto m = parser.parse(testing::mailboxRecordSmall(kId, u"Alice Smith"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kId);
  EXPECT_EQ(m->name, u"Alice Smith");
}

TEST(MailboxRecord, TheFirstPatternWinsOverTheFallbackPattern) {
  // 08 00 00 at 56 and 08 00 18 00 at 60: the anchor is 60, so the identifier is at 76.
  Bytes r(120, 0x20);
  const std::uint8_t fallback[] = {0x08, 0x00, 0x00};
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18, 0x00};
  testing::putBytes(r, 56, fallback, 3);
  testing::putBytes(r, 60, anchor, 4);
  r[60 + 14] = 16;
  testing::putId(r, 76, kId);
  const std::size_t t = 76 + 16;
  testing::putU16(r, t, 0x0101);
  testing::putU16(r, t + 2, 8);
  testing::putU16(r, t + 4, 0x0102);
  testing::putU16(r, t + 6, 8 + 1 + 4);
  testing::putUtf16(r, t + 9, u"Al");
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  auto m = parser.parse(r);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kId);
  EXPECT_EQ(m->name, u"Al");
}

TEST(MailboxRecord, EqualNameOffsetsGiveNoMailboxEvenAfterANamedOne) {
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  ASSERT_TRUE(parser.parse(testing::mailboxRecordSmall(kId, u"First")));
  Bytes r = testing::mailboxRecordSmall(kId, u"Second");
  testing::putU16(r, 86 + 6, 8);  // end offset equals the start offset
  EXPECT_FALSE(parser.parse(r));
}

TEST(MailboxRecord, NamesAreCutTo260Characters) {
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  // 300 characters do not fit the 12-bit offsets of a 4 KB record; 1,000 bytes do.
  Bytes r = testing::mailboxRecordSmall(kId, std::u16string(300, u'x'));
  auto m = parser.parse(r);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->name.size(), kMaxMailboxNameChars);
}

TEST(MailboxRecord, ShortOrPatternlessRecordsAreNoMailboxes) {
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  EXPECT_FALSE(parser.parse(Bytes(54, 0x08)));
  EXPECT_FALSE(parser.parse(Bytes(200, 0x20)));
  Bytes r = testing::mailboxRecordSmall(kId, u"Alice");
  r.resize(90);  // the directory is cut off
  EXPECT_FALSE(parser.parse(r));
}

TEST(MailboxRecord, ADirectoryDistanceOfZeroUsesThePreviousDirectory) {
  MailboxRecordParser parser(store::PageSizeClass::Page4K);
  ASSERT_TRUE(parser.parse(testing::mailboxRecordSmall(kId, u"One")));
  Bytes r = testing::mailboxRecordSmall(kId, u"Two");
  r[54 + 14] = 0;  // G = 0: the remembered directory position (86) stands in
  auto m = parser.parse(r);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->name, u"Two");
}

TEST(MailboxRecord, LargeRecordsTakeTheIdentifierFromBytes23To30AndUnpackTheName) {
  // Class 2: anchor 08 00 18 (three bytes), step 12, identifier always at 23..30.
  Bytes r(54, 0x20);
  testing::putId(r, 23, kId);
  const std::size_t a = 54;
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18};
  testing::putBytes(r, a, anchor, 3);
  r.resize(a + 12, 0);
  r[a + 10] = 12;  // G
  testing::putId(r, a + 12, Id8{9, 9, 9, 9, 9, 9, 9, 9});
  const std::size_t t = a + 12 + 12;
  const std::string name = "Alice";
  auto packed = codec::encode7Bit(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()),
                                  codec::SevenBitKind::Ascii);
  ASSERT_TRUE(packed);
  r.resize(t, 0);
  testing::putU16(r, t, 0x0101);
  testing::putU16(r, t + 2, 8);
  testing::putU16(r, t + 4, 0x0102);
  testing::putU16(r, t + 6, static_cast<std::uint16_t>(8 + 1 + packed->size()));
  r.resize(t + 8, 0);
  r.push_back(3);  // format byte: single-byte characters
  r.insert(r.end(), packed->begin(), packed->end());
  r.resize(r.size() + 4, 0);
  MailboxRecordParser parser(store::PageSizeClass::Page32K);
  auto m = parser.parse(r);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kId);
  EXPECT_EQ(m->name, u"Alice");
  EXPECT_EQ(analysis::mailboxKeyText(m->id), "4-48A06756");
}

TEST(KeyText, MailboxKeysAndHeaderTableNames) {
  using analysis::headerTableName;
  using analysis::mailboxKeyText;
  EXPECT_EQ(mailboxKeyText({0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56}), "4-48A06756");
  // Zero bytes after the first non-zero one are written as "00".
  EXPECT_EQ(mailboxKeyText({0x1A, 0xFF, 0, 0x05, 0, 0x0B, 0, 0}), "1A-5000B0000");
  // No non-zero byte among bytes 3 to 8: the tail starts at byte 1.
  EXPECT_EQ(mailboxKeyText({0x03, 0x07, 0, 0, 0, 0, 0, 0}), "3-307000000000000");
  EXPECT_EQ(headerTableName({0x01, 0, 0, 0, 0, 0, 0, 0x1C}, false), "1-1C");
  EXPECT_EQ(headerTableName({0x01, 0, 0, 0, 0, 0, 0, 0x1C}, true), "MSGHEADER-1-1C");
  EXPECT_EQ(headerTableName({0x01, 0x2b, 0, 0, 0, 0, 0x03, 0x1C}, false), "12B-31C");
  // A folder whose first two bytes are zero expects an empty name in a 4 KB/8 KB store.
  EXPECT_EQ(headerTableName({0, 0, 0, 0, 0, 0, 0, 0x1C}, false), "");
}

}  // namespace
}  // namespace tarnwick::store
