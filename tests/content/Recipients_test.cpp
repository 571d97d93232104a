#include "content/EmailAddressCheck.h"
#include "content/RecipientList.h"
#include "content/RecipientScanner.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

namespace tarnwick::content {
namespace {

using testing::append;
using testing::appendUtf16;
using testing::Bytes;
using testing::narrow;

TEST(EmailAddressCheck, AcceptsAndRefusesByTheAddressRules) {
  EXPECT_TRUE(isValidEmailAddress(u"john@example.com"));
  EXPECT_TRUE(isValidEmailAddress(u"John Smith <john@example.com>"));
  EXPECT_FALSE(isValidEmailAddress(u"John Smith <john@localhost>"));
  EXPECT_FALSE(isValidEmailAddress(u"john@localhost"));
  EXPECT_TRUE(isValidEmailAddress(u"jo..hn@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"john@example..com"));
  EXPECT_FALSE(isValidEmailAddress(u"john@.example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"john.@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"john@"));
  EXPECT_FALSE(isValidEmailAddress(u"john"));
  EXPECT_FALSE(isValidEmailAddress(u""));
  EXPECT_FALSE(isValidEmailAddress(u"<>"));
  EXPECT_FALSE(isValidEmailAddress(u"jo hn@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"john@exa;mple.com"));
}

TEST(EmailAddressCheck, QuotedLocalParts) {
  EXPECT_TRUE(isValidEmailAddress(u"\"john smith\"@example.com"));
  EXPECT_TRUE(isValidEmailAddress(u"\"a\\\"b\"@example.com"));
  EXPECT_TRUE(isValidEmailAddress(u"a.\"b c\".d@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"\"unclosed@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"\"ab\"c@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"a\"b\"@example.com"));
  EXPECT_FALSE(isValidEmailAddress(u"\"a\tb\"@example.com"));
}

TEST(RecipientList, ListsEachAddressOnceWhateverItsForm) {
  RecipientList list;
  EXPECT_TRUE(list.addRecipient(u"john@example.com"));
  EXPECT_TRUE(list.addRecipient(u"John <JOHN@example.com>"));
  EXPECT_TRUE(list.addRecipient(u"Mary <mary@example.com>"));
  EXPECT_TRUE(list.addRecipient(u"MARY@EXAMPLE.COM"));
  EXPECT_FALSE(list.addRecipient(u"nobody"));
  EXPECT_EQ(narrow(list.text()), "john@example.com,Mary <mary@example.com>");
}

// An address inside another is a recipient of its own, in either order and either form.
TEST(RecipientList, AnAddressThatIsPartOfAnotherIsListedToo) {
  RecipientList list;
  EXPECT_TRUE(list.addRecipient(u"bob.carter@example.com"));
  EXPECT_TRUE(list.addRecipient(u"carter@example.com"));
  EXPECT_TRUE(list.addRecipient(u"Ann <ann@example.com.au>"));
  EXPECT_TRUE(list.addRecipient(u"Ann <ann@example.com>"));
  EXPECT_TRUE(list.addRecipient(u"CARTER@example.com"));
  EXPECT_EQ(narrow(list.text()),
            "bob.carter@example.com,carter@example.com,Ann <ann@example.com.au>,Ann <ann@example.com>");
}

TEST(RecipientList, NeverGrowsBeyondItsLimit) {
  RecipientList list;
  for (int i = 0; i < 1000; ++i) {
    std::u16string address = u"user";
    for (char c : std::to_string(i)) address.push_back(static_cast<char16_t>(c));
    address += u"@example.com";
    EXPECT_TRUE(list.addRecipient(address));
  }
  EXPECT_LE(list.text().size(), RecipientList::kMaxLength);
  EXPECT_GT(list.text().size(), RecipientList::kMaxLength - 20);
}

std::string scanInline(const Bytes& d, bool small = true) {
  RecipientList list;
  RecipientScanner::scanInline(d, 0, small, list);
  return narrow(list.text());
}

TEST(RecipientScanner, Utf16AndEightBitValuesGiveTheSameText) {
  Bytes narrowValue{0x1F, 0x00};
  append(narrowValue, "Ann <ann@example.com>");
  narrowValue.push_back(0);
  append(narrowValue, "bob@example.org");
  narrowValue.push_back(0);
  Bytes wideValue{0x1F, 0x00};
  appendUtf16(wideValue, u"Ann <ann@example.com>");
  wideValue.insert(wideValue.end(), {0, 0});
  appendUtf16(wideValue, u"bob@example.org");
  wideValue.insert(wideValue.end(), {0, 0});
  EXPECT_EQ(scanInline(narrowValue), "<ann@example.com>,bob@example.org");
  EXPECT_EQ(scanInline(wideValue), scanInline(narrowValue));
  Bytes plain;
  append(plain, "Ann <ann@example.com>");
  EXPECT_EQ(scanInline(plain), "Ann <ann@example.com>");
}

TEST(RecipientScanner, SplitsCandidatesAtSemicolonsAndCommas) {
  Bytes d;
  append(d, "ann@example.com; bob@example.org,carl@example.net'");
  d.push_back(0);
  EXPECT_EQ(scanInline(d), "ann@example.com,bob@example.org,carl@example.net");
}

TEST(RecipientScanner, ResumesAfterAddressMarkersInSmallPageStores) {
  Bytes d;
  append(d, "junk");
  d.insert(d.end(), {0xE4, 0x04, 0, 0, 0, 0});
  appendUtf16(d, u"dave@example.com");
  d.insert(d.end(), {0, 0, 0xE4, 0x04, 1, 1, 1, 1});
  appendUtf16(d, u"eve@example.com");
  d.insert(d.end(), {0, 0});
  EXPECT_EQ(scanInline(d), "dave@example.com,eve@example.com");
  EXPECT_EQ(scanInline(d, false), "dave@example.com,eve@example.com");
}

TEST(RecipientScanner, SkipsALeadingAtSignAndSurvivesNoise) {
  Bytes d;
  append(d, "@@@x@@");
  d.push_back(0);
  append(d, "@");
  EXPECT_EQ(scanInline(d), "");
  Bytes addr;
  append(addr, "@fred@example.com");
  EXPECT_EQ(scanInline(addr), "fred@example.com");
}

TEST(RecipientScanner, ChunkedScanFindsEveryAddress) {
  Bytes d(30, 0x01);
  appendUtf16(d, u"Gina");
  d.insert(d.end(), {0, 0});
  append(d, "gina@example.com");
  d.push_back(0);
  d.insert(d.end(), 40, 0x02);
  appendUtf16(d, u"/o=Org/cn=Hal");
  d.insert(d.end(), {0x03, 0});
  appendUtf16(d, u"hal@example.com");
  d.insert(d.end(), {0, 0});
  append(d, "bad@nodot");
  RecipientList list;
  RecipientScanner::scanAssembled(d, list);
  EXPECT_EQ(narrow(list.text()), "gina@example.com,hal@example.com");
}

TEST(RecipientScanner, CompressedValuesStartAfterTheFirstMarker) {
  Bytes d(10, 0x41);
  d.insert(d.end(), {0xE4, 0x04, 0, 0, 0, 0, 'x'});
  EXPECT_EQ(RecipientScanner::compressedScanStart(d), 16u);
  Bytes far(60, 0x41);
  far.insert(far.end(), {0xE4, 0x04, 0, 0, 0, 0, 'x'});
  EXPECT_EQ(RecipientScanner::compressedScanStart(far), 0u);
}

}  // namespace
}  // namespace tarnwick::content

#include "codec/Lz77Encoder.h"
#include "content/RecipientExtraction.h"
#include "tests/support/PageBytes.h"

namespace tarnwick::content {
namespace {

TEST(RecipientExtraction, InlineCompressedAndChunkedValues) {
  // 4 KB store, inline value of 30 bytes: the scan stops at the recipient length.
  Bytes db(3 * 4096, 0);
  Bytes value;
  append(value, "x@y ann@example.com");
  value.push_back(0);
  append(value, "late@example.com");
  testing::putBytes(db, 5000, value);
  store::MemoryByteSource src(db);
  store::StoreGeometry small = store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size()));
  EXPECT_EQ(narrow(extractRecipients(src, small, {}, 5000, 20)), "");
  EXPECT_EQ(narrow(extractRecipients(src, small, {}, 5004, 32)), "ann@example.com,late@example.com");

  // 32 KB store: an LZ77 value behind its format byte, with an address marker. The
  // recipient length counts the format byte (as the record reader measures it); the byte
  // after the value belongs to the next value and must not be unpacked with it.
  Bytes plain(8, 0x41);
  plain.insert(plain.end(), {0xE4, 0x04, 0, 0, 0, 0});
  appendUtf16(plain, u"zed@example.org");
  std::optional<Bytes> packed = codec::encodeLz77(plain);
  ASSERT_TRUE(packed);
  Bytes large(3 * 32768, 0);
  large[40000] = 0x1E;
  testing::putBytes(large, 40001, *packed);
  large[40001 + packed->size()] = 0x01;
  store::MemoryByteSource largeSrc(large);
  store::StoreGeometry big = store::makeStoreGeometry(32768, static_cast<std::int64_t>(large.size()));
  EXPECT_EQ(narrow(extractRecipients(largeSrc, big, {}, 40000, static_cast<std::uint16_t>(packed->size() + 1))),
            "zed@example.org");

  // Chunked: one chunk at offset 0 in a long-value record.
  Bytes rec{8, 0, 0, 0};
  appendUtf16(rec, u"Pat");
  rec.insert(rec.end(), {0, 0});
  append(rec, "pat@example.net");
  std::vector<std::uint32_t> at;
  Bytes chunkDb(4096, 0);
  testing::appendBytes(chunkDb, testing::makeLeafPage(4096, store::PageSizeClass::Page4K, {rec}, &at));
  store::MemoryByteSource chunkSrc(chunkDb);
  std::vector<ChunkLocation> chunks{{4096 + at[0] + 4, 0}};
  EXPECT_EQ(narrow(extractRecipients(chunkSrc, small, chunks, 0, 5)), "pat@example.net");
}

}  // namespace
}  // namespace tarnwick::content
