#include "analysis/AttachmentRowReader.h"
#include "analysis/LongValuePageReader.h"
#include "tests/support/MessageRecords.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using testing::appendBytes;
using testing::appendUtf16;
using testing::Bytes;
using testing::makeLeafPage;
using testing::narrow;
using testing::putU16;

const AttachmentIdBytes kAtt{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};

using Entry = testing::DirectoryEntry;
using testing::directory;

Bytes wideValue(std::u16string_view s) {
  Bytes b(1, 0x1F);
  appendUtf16(b, s);
  return b;
}

// A 4 KB attachment row: the marker 01 00 00 00, the identifier 8 bytes later, then the
// directory, found by the search for a byte 1 with another byte 1 four bytes on.
Bytes smallRow(const std::vector<Entry>& entries) {
  Bytes r{0x55, 0x55, 1, 0, 0, 0, 0, 0, 0, 9};
  Bytes id(kAtt.begin(), kAtt.end());
  appendBytes(r, id);
  r.resize(r.size() + 4, 0x33);
  appendBytes(r, directory(entries));
  return r;
}

AttachmentRowResult readFirst(const Bytes& page, store::PageSizeClass cls, const AttachmentColumns& cols) {
  for (const AttachmentCandidate& c : findAttachmentCandidates(page, cls)) {
    AttachmentRowResult r = readAttachmentRow(page, 0x4000, cls, c, kAtt, cols);
    if (!std::holds_alternative<AttachmentRowMiss>(r) ||
        std::get<AttachmentRowMiss>(r) != AttachmentRowMiss::NotThisRow) {
      return r;
    }
  }
  return AttachmentRowMiss::NotThisRow;
}

TEST(AttachmentRows, SmallPageRowWithInlineDataAndLongName) {
  // Directory entries whose first byte is 1 and fifth byte 1: column 0x0101 is a stand-in.
  Bytes data{0x00, 'a', 'b', 'c', 'd', 'e', 'f'};
  std::vector<Entry> entries{
      {0x0101, Bytes{0, 0, 0}}, {0x0105, wideValue(u"short")}, {0x0107, data}, {0x010A, wideValue(u"long name.txt")}};
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {smallRow(entries)}, &at);
  std::vector<AttachmentCandidate> c = findAttachmentCandidates(page, store::PageSizeClass::Page4K);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].position, at[0] + 10);
  AttachmentRowResult r = readFirst(page, store::PageSizeClass::Page4K, AttachmentColumns::smallPageStore());
  ASSERT_TRUE(std::holds_alternative<AttachmentRow>(r));
  const AttachmentRow& row = std::get<AttachmentRow>(r);
  EXPECT_EQ(narrow(row.name), "long name.txt");
  EXPECT_EQ(row.dataLength, 7);
  std::size_t dirAt = at[0] + 10 + 8 + 4;
  EXPECT_EQ(row.dataOffset, 0x4000 + dirAt + 16 + 3 + 11 + 1);
  EXPECT_EQ(row.longValueKey, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST(AttachmentRows, FiveByteDataIsALongValueAndNamesFallBack) {
  std::vector<Entry> entries{
      {0x0101, Bytes{0, 0, 0}}, {0x0106, wideValue(u"shown.doc")}, {0x0107, Bytes{0, 0x12, 0x34, 0, 0}}};
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {smallRow(entries)});
  AttachmentRowResult r = readFirst(page, store::PageSizeClass::Page4K, AttachmentColumns::smallPageStore());
  ASSERT_TRUE(std::holds_alternative<AttachmentRow>(r));
  const AttachmentRow& row = std::get<AttachmentRow>(r);
  EXPECT_EQ(narrow(row.name), "shown.doc");
  EXPECT_EQ(row.dataLength, 5);
  EXPECT_EQ(row.dataOffset, 0u);
  EXPECT_EQ(row.longValueKey, (std::array<std::uint8_t, 2>{0x34, 0x12}));
}

TEST(AttachmentRows, RowsWithoutNameOrWithBadOffsets) {
  Bytes page =
      makeLeafPage(4096, store::PageSizeClass::Page4K, {smallRow({{0x0101, Bytes{0, 0, 0}}, {0x0107, Bytes(9, 1)}})});
  AttachmentRowResult r = readFirst(page, store::PageSizeClass::Page4K, AttachmentColumns::smallPageStore());
  EXPECT_EQ(std::get<AttachmentRowMiss>(r), AttachmentRowMiss::NotThisRow);
  // Data offsets that do not increase give the identifier up.
  Bytes row = smallRow({{0x0101, Bytes{0, 0, 0}}, {0x0107, Bytes(4, 1)}, {0x010A, wideValue(u"n")}});
  std::size_t dataEntry = 10 + 8 + 4 + 4;
  putU16(row, dataEntry + 2, 40);
  page = makeLeafPage(4096, store::PageSizeClass::Page4K, {row});
  r = readFirst(page, store::PageSizeClass::Page4K, AttachmentColumns::smallPageStore());
  EXPECT_EQ(std::get<AttachmentRowMiss>(r), AttachmentRowMiss::GiveUpIdentifier);
}

TEST(AttachmentRows, LargePageRowWithSecondIdAndCatalogueColumns) {
  Bytes rec(8, 0);  // byte 2 is 0: the identifier at slot + 8
  Bytes id(kAtt.begin(), kAtt.end());
  appendBytes(rec, id);
  rec.resize(rec.size() + 33, 0);
  appendBytes(rec, id);
  rec.resize(rec.size() + 2, 0);
  // Directory right after: the byte at c + 1 is the entry's second byte, 0x01.
  appendBytes(
      rec,
      directory({{0x0120, wideValue(u"a.txt")}, {0x0131, Bytes{0, 0xAB, 0xCD, 0, 0}}, {0x0140, wideValue(u"b.txt")}}));
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K, {rec});
  AttachmentColumns cols;
  cols.displayName = 0x0120;
  cols.fileName = 0x0140;
  cols.data = 0x0131;
  AttachmentRowResult r = readFirst(page, store::PageSizeClass::Page32K, cols);
  ASSERT_TRUE(std::holds_alternative<AttachmentRow>(r));
  EXPECT_EQ(narrow(std::get<AttachmentRow>(r).name), "a.txt");
  EXPECT_EQ(std::get<AttachmentRow>(r).longValueKey, (std::array<std::uint8_t, 2>{0xCD, 0xAB}));
  cols.longFileName = 0x0140;
  EXPECT_EQ(narrow(std::get<AttachmentRow>(readFirst(page, store::PageSizeClass::Page32K, cols)).name), "b.txt");
}

Bytes be32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

TEST(LongValueChunks, SmallPageChunksAndRoots) {
  const std::uint32_t c = 4096 - 82;
  // Tag 0: a root record (key 00 07, offset 0); tag 1: a data chunk with the 8 marker,
  // key 00 07 repaired from byte 2 of the first record; tag 2: a data chunk of key 12 34
  // at offset c.
  Bytes root{0, 0};
  appendBytes(root, Bytes{0x07, 0x07});
  appendBytes(root, be32(0));
  Bytes first{8, 0, 0, 0, 0x00, 0x07};
  appendBytes(first, be32(0));
  first.resize(40, 0xAA);
  Bytes second{0, 0, 0x12, 0x34};
  appendBytes(second, be32(c));
  second.resize(60, 0xBB);
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {root, first, second}, &at);
  std::vector<LongValueChunk> chunks = readLongValueChunks(page, store::PageSizeClass::Page4K);
  ASSERT_EQ(chunks.size(), 2u);
  // Highest tag first.
  EXPECT_EQ(chunks[0].key, (std::array<std::uint8_t, 2>{0x12, 0x34}));
  EXPECT_EQ(chunks[0].chunkOffset, c);
  EXPECT_EQ(chunks[0].dataPosition, at[2] + 2 + 6);
  EXPECT_EQ(chunks[1].key, (std::array<std::uint8_t, 2>{0x07, 0x07}));
  EXPECT_EQ(chunks[1].chunkOffset, 0u);
  EXPECT_EQ(chunks[1].dataPosition, at[1] + 4 + 6);
}

TEST(LongValueChunks, LargePageWalkFollowsKeysAndOffsets) {
  // Tag 0: plain record placing its data by its third byte; tag 1: continuation (first
  // byte 8); tag 2: key record; tag 3: start record naming key 0A 0B at offset 8150.
  Bytes start{0x0A, 0x0B};
  appendBytes(start, be32(8150));
  start.resize(16, 0x01);  // first two bytes non-zero, neither 8 nor 3: data at 3rd byte + 4
  Bytes keyRec{3, 1, 0, 0x0C, 0x0D, 0, 0x40, 0x1F, 0};
  keyRec.resize(20, 1);
  Bytes cont{8, 1};
  cont.resize(30, 0xCC);
  Bytes plain{5, 5, 2, 0x00, 0x1F, 0xD6};
  plain.resize(30, 0xDD);
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K, {plain, cont, keyRec, start}, &at);
  std::vector<LongValueChunk> chunks = readLongValueChunks(page, store::PageSizeClass::Page32K);
  ASSERT_EQ(chunks.size(), 3u);
  // The start record itself: third byte 0 -> data at index 4, offset from bytes 1..3
  // with the high byte from byte 5 of the first record (0xD6).
  EXPECT_EQ(chunks[0].key, (std::array<std::uint8_t, 2>{0x0A, 0x0B}));
  EXPECT_EQ(chunks[0].dataPosition, at[3] + 4);
  EXPECT_EQ(chunks[0].chunkOffset, (0xD6u << 16) | (0x00u << 8) | 0x00u);
  // After the key record: key 0C 0D at offset 256 * 0x1F40; the continuation takes it
  // with its data four bytes in.
  EXPECT_EQ(chunks[1].key, (std::array<std::uint8_t, 2>{0x0C, 0x0D}));
  EXPECT_EQ(chunks[1].chunkOffset, 256u * 0x1F40);
  EXPECT_EQ(chunks[1].dataPosition, at[1] + 4);
  EXPECT_EQ(chunks[2].dataPosition, at[0] + 6);
  EXPECT_EQ(chunks[2].chunkOffset, (0xD6u << 16) | (0x1Fu << 8) | 0xD6u);
}

TEST(PageScanners, GarbagePagesStayInBounds) {
  Bytes page(4096);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>((i * 131) ^ (i >> 3));
  putU16(page, 34, 300);
  page[36] = 2;
  for (store::PageSizeClass cls :
       {store::PageSizeClass::Page4K, store::PageSizeClass::Page8K, store::PageSizeClass::Page32K}) {
    (void)readLongValueChunks(page, cls);
    for (const AttachmentCandidate& c : findAttachmentCandidates(page, cls)) {
      (void)readAttachmentRow(page, 0, cls, c, kAtt, AttachmentColumns::smallPageStore());
    }
  }
}

}  // namespace
}  // namespace tarnwick::analysis
