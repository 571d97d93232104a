#include "store/MessageRecordReader.h"
#include "tests/support/MessageRecords.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::store {
namespace {

using testing::append;
using testing::appendUtf16;
using testing::Bytes;
using testing::makeLeafPage;
using testing::narrow;
using testing::putU16;

const MessageIdBytes kId{1, 2, 3, 4, 5, 6, 7, 8};
const MessageIdBytes kOtherId{9, 9, 9, 9, 9, 9, 9, 9};

using Entry = testing::DirectoryEntry;
using testing::directory;
using testing::smallMessageRecord;

Bytes formatted(std::uint8_t format, const Bytes& body) {
  Bytes v(1, format);
  testing::appendBytes(v, body);
  return v;
}

Bytes wide(std::u16string_view s) {
  Bytes b;
  appendUtf16(b, s);
  return b;
}

MessageColumns smallColumns() {
  MessageColumns c;
  c.address = 0x011A;
  c.plainBody = 0x1000;
  c.htmlBody = 0x1013;
  c.rtfBody = 0x1009;
  c.attachments = 0x0E13;
  c.startTime = 0x8100;
  c.endTime = 0x8101;
  for (std::size_t k = 0; k < 18; ++k) c.contact[k] = static_cast<std::uint16_t>(0x3000 + k);
  c.appointmentContact = 0x8225;
  c.appointmentTimeZone = 0x810C;
  c.appointmentLocation = 0x8201;
  c.senderAddress = 0x0C1F;
  return c;
}

struct Read {
  std::optional<std::uint32_t> directory;
  MessageRecordFields fields;
};

Read readOnly(const Bytes& page, store::PageSizeClass cls, const MessageIdBytes& id, RecordReadOptions options = {},
              std::uint64_t pageOffset = 0x10000) {
  Read r;
  for (const RecordCandidate& c : findMessageRecordCandidates(page, cls)) {
    r.directory = matchMessageRecord(page, cls, c, id);
    if (r.directory) {
      r.fields = readMessageRecord(page, pageOffset, cls, c, *r.directory, smallColumns(), options);
      return r;
    }
  }
  return r;
}

TEST(MessageRecordCandidates, SmallPagesNeedTheMarkerWithinTheFirstBytes) {
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x011A, Bytes(8, 1)}}, 3),
                             smallMessageRecord(kId, {{0x011A, Bytes(8, 1)}}, 17), Bytes(60, 0x33)},
                            &at);
  std::vector<RecordCandidate> c = findMessageRecordCandidates(page, store::PageSizeClass::Page4K);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].position, at[0] + 3 + 35);
  EXPECT_EQ(c[0].slotEnd, at[1]);
  // A marker starting at byte 16 still lies inside the window.
  Bytes late = makeLeafPage(4096, store::PageSizeClass::Page4K, {smallMessageRecord(kId, {{0x011A, Bytes(8, 1)}}, 16)});
  EXPECT_EQ(findMessageRecordCandidates(late, store::PageSizeClass::Page4K).size(), 1u);
}

TEST(MessageRecordCandidates, LargePagesPlaceTheIdByTheThirdByte) {
  Bytes a(50, 0), b(50, 0), tiny(40, 0);
  a[2] = 5;     // low half 5: id at slot + 8 + 5
  b[2] = 0x0C;  // low half 12: id at slot + 12
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K, {a, b, tiny}, &at);
  std::vector<RecordCandidate> c = findMessageRecordCandidates(page, store::PageSizeClass::Page32K);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].position, at[0] + 13);
  EXPECT_EQ(c[1].position, at[1] + 12);
}

TEST(MessageRecordReader, ReadsAddressBodyAndAttachmentsOfASmallPageRecord) {
  Bytes address(3, 0x05);
  address.insert(address.end(), {0xE4, 0x04, 0, 0, 0, 0});
  append(address, "ann@example.com");
  Bytes attachmentIds{1,    0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0, 0, 0, 0,
                      0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0,    0, 0, 0};
  Bytes body = formatted(0x1F, wide(u"Hello"));
  Bytes page = makeLeafPage(
      4096, store::PageSizeClass::Page4K,
      {Bytes(20, 0x44), smallMessageRecord(kOtherId, {{0x011A, Bytes(9, 1)}}),
       smallMessageRecord(
           kId, {{0x011A, address}, {0x0E13, attachmentIds}, {0x1000, body}, {0x1013, formatted(1, Bytes(7, 'h'))}})});
  std::vector<RecordCandidate> c = findMessageRecordCandidates(page, store::PageSizeClass::Page4K);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_FALSE(matchMessageRecord(page, store::PageSizeClass::Page4K, c[0], kId));
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.directory);
  EXPECT_EQ(*r.directory, c[1].position + 24);
  const MessageRecordFields& f = r.fields;
  std::size_t dirAt = *r.directory;
  std::size_t addressAt = dirAt + 16;
  EXPECT_EQ(f.addressLength, address.size());
  EXPECT_EQ(f.addressPosition, 0x10000 + addressAt + 3 + 6);
  EXPECT_FALSE(f.addressKey);
  ASSERT_EQ(f.attachmentIds.size(), 2u);
  EXPECT_EQ(f.attachmentIds[0][0], 0xA1);
  EXPECT_EQ(f.attachmentIds[1][7], 0xB8);
  EXPECT_EQ(f.bodySource, BodySource::PlainUnicode);
  EXPECT_EQ(f.bodyLength, body.size());
  EXPECT_EQ(f.bodyPosition, 0x10000 + addressAt + address.size() + attachmentIds.size());
  EXPECT_FALSE(f.contactSlots);
  EXPECT_FALSE(f.appointment);
}

TEST(MessageRecordReader, AddressFoundByWalkingBackFromTheAtSign) {
  Bytes address{0x1F};
  appendUtf16(address,
              u"\x01"
              u"Bob <bob@example.com>");
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x011A, address}, {0x1009, formatted(1, Bytes(30, 'r'))}})});
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.directory);
  // Back over "<bob" to the space before it.
  std::size_t valueAt = *r.directory + 8;
  EXPECT_EQ(r.fields.addressPosition, 0x10000 + valueAt + 1 + 2 * 5);
  // An RTF body column leaves the body source 'n'.
  EXPECT_EQ(r.fields.bodySource, BodySource::Other);
  EXPECT_EQ(r.fields.bodyLength, 31);
}

TEST(MessageRecordReader, LongValueReferencesGiveKeysAndNoPositions) {
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x011A, {0x00, 0x12, 0x34, 0, 0}},
                                                      {0x1000, {0x00, 0x56, 0x78, 0, 0}},
                                                      {0x3001, formatted(0, wide(u"x"))}})});
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.directory);
  EXPECT_EQ(r.fields.addressLength, 5);
  EXPECT_EQ(r.fields.addressPosition, 0u);
  EXPECT_EQ(r.fields.addressKey, (LongValueKeyBytes{0x34, 0x12, 0, 0}));
  EXPECT_EQ(r.fields.bodyLength, 5);
  EXPECT_EQ(r.fields.bodyPosition, 0u);
  EXPECT_EQ(r.fields.bodyKey, (LongValueKeyBytes{0x78, 0x56, 0, 0}));
}

TEST(MessageRecordReader, StreamedBodyOnlyWithTheStreamingFileOpen) {
  Bytes descriptor{0x0B, 0x10, 0, 0, 0};
  descriptor.insert(descriptor.end(), 20, 0);
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x011A, formatted(0x1F, wide(u"a@b.cd"))},
                                                      {0x011B, descriptor},
                                                      {0x1000, formatted(0x1F, wide(u"plain"))}})});
  RecordReadOptions open;
  open.streamingFileOpen = true;
  Read withStream = readOnly(page, store::PageSizeClass::Page4K, kId, open);
  ASSERT_TRUE(withStream.directory);
  EXPECT_EQ(withStream.fields.bodySource, BodySource::StreamingFile);
  EXPECT_EQ(withStream.fields.bodyLength, descriptor.size());
  EXPECT_EQ(withStream.fields.bodyPosition, 0x10000 + *withStream.directory + 12 + 13);
  Read closed = readOnly(page, store::PageSizeClass::Page4K, kId);
  EXPECT_EQ(closed.fields.bodySource, BodySource::PlainUnicode);
  EXPECT_EQ(closed.fields.bodyLength, 11);
}

TEST(MessageRecordReader, SenderAddressOfAnyItemKind) {
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x011A, Bytes(9, 1)},
                                                      {0x0C1F, formatted(0x1F, wide(u"b.carter@example.net"))},
                                                      {0x1000, formatted(0x1F, wide(u"plain"))}})});
  for (bool readsKindTexts : {true, false}) {
    RecordReadOptions options;
    options.readsKindTexts = readsKindTexts;
    Read r = readOnly(page, store::PageSizeClass::Page4K, kId, options);
    ASSERT_TRUE(r.directory);
    EXPECT_EQ(r.fields.senderAddress, u"b.carter@example.net");
    EXPECT_EQ(r.fields.bodySource, BodySource::PlainUnicode);  // the walk goes on past it
  }
  Bytes without = makeLeafPage(4096, store::PageSizeClass::Page4K, {smallMessageRecord(kId, {{0x011A, Bytes(9, 1)}})});
  EXPECT_TRUE(readOnly(without, store::PageSizeClass::Page4K, kId).fields.senderAddress.empty());
}

TEST(MessageRecordReader, ContactTextsGoToTheirSlots) {
  Bytes given = formatted(0x1F, wide(u"Ann"));
  Bytes surname = formatted(0x1F, wide(u"Smith"));
  Bytes homePage = formatted(0x1E, {});
  append(homePage, "www.example.com");
  Bytes multi = formatted(0x1F, wide(u"Line1\r\nLine2"));
  // Kinds 11 (given name), 9 (surname), 0 (home page), 17 (address), in column order.
  Bytes page = makeLeafPage(
      4096, store::PageSizeClass::Page4K,
      {smallMessageRecord(kId, {{0x3000, homePage}, {0x3009, surname}, {0x300B, given}, {0x3011, multi}})});
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.fields.contactSlots);
  const auto& s = *r.fields.contactSlots;
  EXPECT_EQ(narrow(s[0]), "Ann");
  EXPECT_EQ(narrow(s[1]), "Smith");
  EXPECT_EQ(narrow(s[3]), "www.example.com");
  EXPECT_EQ(narrow(s[16]), "Line1\r\nLine2");
  EXPECT_TRUE(s[2].empty());
  RecordReadOptions note;
  note.readsKindTexts = false;
  EXPECT_FALSE(readOnly(page, store::PageSizeClass::Page4K, kId, note).fields.contactSlots);
}

TEST(MessageRecordReader, AppointmentTextsAndTimes) {
  Bytes start{0, 0, 1, 2, 3, 4, 5, 6};
  Bytes end{0, 0, 7, 8, 9, 10, 11, 12};
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                            {smallMessageRecord(kId, {{0x8100, start},
                                                      {0x8101, end},
                                                      {0x810C, formatted(0x1F, wide(u"GMT+1"))},
                                                      {0x8201, formatted(0x1F, wide(u"Room 4"))},
                                                      {0x8225, formatted(0x1F, wide(u"Carol"))}})});
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.fields.appointment);
  const RecordAppointment& a = *r.fields.appointment;
  EXPECT_EQ(narrow(a.contact), "Carol");
  EXPECT_EQ(narrow(a.location), "Room 4");
  EXPECT_EQ(narrow(a.timeZone), "GMT+1");
  EXPECT_EQ(a.start, (TimeBytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(a.end, (TimeBytes{7, 8, 9, 10, 11, 12}));
}

TEST(MessageRecordReader, ThirdTextFromTheFirstShortValue) {
  Bytes first{0x03, 0x01, 0, 0, 0, 0};  // column 0x0103 is passed over
  Bytes second{0x1E, 0xB1, 0, 7};       // B1: the text lies three bytes in
  append(second, "Sender!");
  Bytes page =
      makeLeafPage(4096, store::PageSizeClass::Page4K, {smallMessageRecord(kId, {{0x0103, first}, {0x0FFF, second}})});
  RecordReadOptions o;
  o.needsThirdText = true;
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId, o);
  ASSERT_TRUE(r.fields.thirdFound);
  EXPECT_EQ(r.fields.thirdOffset, *r.directory + 8 + 6 + 3);
  EXPECT_EQ(r.fields.thirdLength, 7);
}

TEST(MessageRecordReader, LargePageRecordWithASecondIdCopy) {
  Bytes rec(8, 0);
  rec[2] = 0;  // id at slot + 8
  rec.insert(rec.end(), kId.begin(), kId.end());
  rec.insert(rec.end(), 33, 0);  // byte at id + 8 is 0: second copy at id + 41
  rec.insert(rec.end(), kId.begin(), kId.end());
  rec.insert(rec.end(), 2, 0);  // directory 10 bytes after the second copy
  Bytes address{0x1F, 0x18};
  address.insert(address.end(), 10, 0x55);
  Bytes d = directory({{0x011A, address}});
  rec.insert(rec.end(), d.begin(), d.end());
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K, {rec}, &at);
  Read r = readOnly(page, store::PageSizeClass::Page32K, kId);
  ASSERT_TRUE(r.directory);
  EXPECT_EQ(*r.directory, at[0] + 8 + 41 + 10);
  // A compressed address value is pointed at from its format byte.
  EXPECT_EQ(r.fields.addressPosition, 0x10000 + *r.directory + 4);
}

TEST(MessageRecordReader, DamagedDirectoriesStayInsideThePage) {
  // Offsets that point far past the slot and the page.
  Bytes d{0x1A, 0x01, 0xF0, 0x0F, 0x00, 0x10, 0xFF, 0x0F};
  Bytes rec(3 + 35, 0);
  rec[3] = 0x21;
  rec.insert(rec.end(), kId.begin(), kId.end());
  rec.insert(rec.end(), 16, 0);
  rec.insert(rec.end(), d.begin(), d.end());
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {rec});
  Read r = readOnly(page, store::PageSizeClass::Page4K, kId);
  ASSERT_TRUE(r.directory);
  EXPECT_EQ(r.fields.bodyPosition, 0u);
  // A directory whose first offset is 0 is refused.
  rec[rec.size() - 6] = 0;
  rec[rec.size() - 5] = 0;
  EXPECT_FALSE(
      readOnly(makeLeafPage(4096, store::PageSizeClass::Page4K, {rec}), store::PageSizeClass::Page4K, kId).directory);
}

}  // namespace
}  // namespace tarnwick::store
