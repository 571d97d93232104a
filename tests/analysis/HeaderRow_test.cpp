#include "analysis/HeaderRow.h"
#include "store/StoreGeometry.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::HeaderRowText;
using testing::Id8;

const Id8 kFolder{0x01, 0, 0, 0, 0, 0, 0, 0x1C};
const Id8 kMessage{0x10, 1, 0, 0, 0, 0, 0, 1};
constexpr std::uint16_t kPrefix = 0x0120;
constexpr std::uint16_t kSubject = 0x0121;
// FILETIME of 2019-01-01, and one inside the year 1601.
constexpr std::uint64_t kTime2019 = 131907744000000000ULL;
constexpr std::uint64_t kTime1601 = 100000000000000ULL;

HeaderColumns smallColumns() {
  HeaderColumns c;
  c.subjectPrefix = kPrefix;
  c.normalizedSubject = kSubject;
  return c;
}

std::vector<MessageHeader> parse(const Bytes& row, FolderKind kind = FolderKind::Other) {
  const Bytes page = testing::PageBytes(4096, 50).add(row).bytes();
  HeaderTableInfo table{FolderId::fromBytes(kFolder), kind, std::nullopt};
  return parseHeaderRows(page, store::PageSizeClass::Page4K, table, smallColumns(), store::FileOffset(21 * 4096));
}

std::u16string textAt(const Bytes& page, std::uint16_t offset, std::uint16_t length) {
  std::u16string out;
  for (int i = 0; i + 1 < length; i += 2)
    out.push_back(static_cast<char16_t>(page[offset + i] | (page[offset + i + 1] << 8)));
  return out;
}

TEST(headerRowSmall, PrefixIsPrimaryAndSubjectSecondary) {
  const Bytes row =
      testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"RE: ", u"Budget", u"Carol"}, kPrefix, kSubject);
  const Bytes page = testing::PageBytes(4096, 50).add(row).bytes();
  auto headers = parse(row);
  ASSERT_EQ(headers.size(), 1u);
  const MessageHeader& h = headers[0];
  EXPECT_EQ(h.folderId.bytes, kFolder);
  EXPECT_EQ(h.messageId.bytes, kMessage);
  EXPECT_EQ(h.pageOffset.value, 21 * 4096);
  EXPECT_EQ(h.time.bytes, testing::timeBytes(kTime2019));
  EXPECT_EQ(textAt(page, h.primaryOffset, h.primaryLength), u"RE: ");
  EXPECT_EQ(textAt(page, h.secondaryOffset, h.secondaryLength), u"Budget");
  EXPECT_EQ(textAt(page, h.thirdOffset, h.thirdLength), u"Carol");
  EXPECT_FALSE(h.appointment);
}

TEST(headerRowSmall, AnEmptyPrefixLetsTheSubjectServeAsPrimaryWithoutSecondary) {
  const Bytes row = testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"", u"Lunch", u"Dave"}, kPrefix, kSubject);
  const Bytes page = testing::PageBytes(4096, 50).add(row).bytes();
  auto headers = parse(row);
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(textAt(page, headers[0].primaryOffset, headers[0].primaryLength), u"Lunch");
  EXPECT_EQ(headers[0].secondaryOffset, 0);
  EXPECT_EQ(headers[0].secondaryLength, 0);
}

TEST(headerRowSmall, TimeFallbacks) {
  // Zero high bits: the time at p - 18 is taken.
  auto headers = parse(testing::headerRowSmall(kFolder, kMessage, 0x0000FFFF00000000ULL & 0, {u"", u"A", u""}, kPrefix,
                                               kSubject, kTime2019));
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(headers[0].time.bytes, testing::timeBytes(kTime2019));
  // A time in 1601 is replaced by the fallback.
  headers =
      parse(testing::headerRowSmall(kFolder, kMessage, kTime1601, {u"", u"A", u""}, kPrefix, kSubject, kTime2019));
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(headers[0].time.bytes, testing::timeBytes(kTime2019));
  // A time that does not convert, with a fallback that does not either: dropped.
  headers = parse(testing::headerRowSmall(kFolder, kMessage, 0xFFFFFFFFFFFF0000ULL, {u"", u"A", u""}, kPrefix, kSubject,
                                          0xF000000000000000ULL));
  EXPECT_TRUE(headers.empty());
}

TEST(headerRowSmall, RowsOfAnotherFolderOrWithoutMarkerAreSkipped) {
  Id8 other = kFolder;
  other[7] = 0x55;
  EXPECT_TRUE(parse(testing::headerRowSmall(other, kMessage, kTime2019, {u"", u"A", u""}, kPrefix, kSubject)).empty());
  Bytes row = testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"", u"A", u""}, kPrefix, kSubject);
  row[0] = 0;
  EXPECT_TRUE(parse(row).empty());
}

TEST(headerRowSmall, CalendarRowsTakeStartAndEndFromTheFirstEightByteValue) {
  // Directory after the anchor: sender, prefix, subject, then a 6-byte value, then two
  // 8-byte times. The walk from D + 8 skips the values of other sizes.
  Bytes row = testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"", u"Meet", u""}, kPrefix, kSubject);
  const std::size_t d = 109 + 32;
  // Rewrite the directory: 0x0108, prefix, subject, 0x0200 (6 bytes), 0x0201 (8), 0x0202 (8), end.
  const std::uint16_t entries = 7 * 4;
  std::uint16_t at = entries;
  const std::uint16_t sender = at;
  at += 1;
  const std::uint16_t prefix = at;
  at += 1;
  const std::uint16_t subject = at;
  at += 1 + 8;
  const std::uint16_t other = at;
  at += 6;
  const std::uint16_t start = at;
  at += 8;
  const std::uint16_t end = at;
  at += 8;
  const std::uint16_t columns[] = {0x0108, kPrefix, kSubject, 0x0200, 0x0201, 0x0202, 0x7FFF};
  const std::uint16_t offsets[] = {sender, prefix, subject, other, start, end, at};
  row.resize(d);
  for (int i = 0; i < 7; ++i) {
    testing::putU16(row, d + 4 * i, columns[i]);
    testing::putU16(row, d + 4 * i + 2, offsets[i]);
  }
  row.resize(d + at + 1, 0);
  testing::putUtf16(row, d + subject + 1, u"Meet");
  const auto startTime = testing::timeBytes(kTime2019 + 36000000000ULL);
  const auto endTime = testing::timeBytes(kTime2019 + 72000000000ULL);
  testing::putBytes(row, d + start + 2, startTime.data(), 6);
  testing::putBytes(row, d + end + 2, endTime.data(), 6);

  auto headers = parse(row, FolderKind::Calendar);
  ASSERT_EQ(headers.size(), 1u);
  ASSERT_TRUE(headers[0].appointment);
  EXPECT_EQ(headers[0].appointment->start->bytes, startTime);
  EXPECT_EQ(headers[0].appointment->end->bytes, endTime);
  EXPECT_EQ(headers[0].flag, FolderKind::Calendar);
  // Not a calendar table: no times.
  headers = parse(row, analysis::FolderKind::Other);
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_FALSE(headers[0].appointment);
}

TEST(headerRowSmall, TwoRowsWithTheSameMessageIdAreBothListed) {
  const Bytes row = testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"", u"A", u""}, kPrefix, kSubject);
  const Bytes page = testing::PageBytes(4096, 50).add(row).add(row).bytes();
  HeaderTableInfo table{FolderId::fromBytes(kFolder), analysis::FolderKind::Other, std::nullopt};
  EXPECT_EQ(parseHeaderRows(page, store::PageSizeClass::Page4K, table, smallColumns(), store::FileOffset(4096)).size(),
            2u);
}

TEST(headerRowLarge, SubjectIsPrimaryAndTheRowGivesItsFolder) {
  HeaderColumns c;
  c.senderName = 0x4001;
  c.subjectPrefix = 0x4002;
  c.normalizedSubject = 0x4003;
  const Bytes row = testing::headerRowLarge(kFolder, kMessage, kTime2019, {u"RE: ", u"Budget", u"Carol"});
  const Bytes page = testing::PageBytes(32768, 60).add(row).bytes();
  HeaderTableInfo table{FolderId{}, analysis::FolderKind::Other, std::string("4-48A06756")};
  auto headers = parseHeaderRows(page, store::PageSizeClass::Page32K, table, c, store::FileOffset(32768 * 9));
  ASSERT_EQ(headers.size(), 1u);
  const MessageHeader& h = headers[0];
  EXPECT_EQ(h.folderId.bytes, kFolder);
  EXPECT_EQ(h.messageId.bytes, kMessage);
  EXPECT_EQ(h.ownerKey, std::optional<std::string>("4-48A06756"));
  EXPECT_EQ(h.time.bytes, testing::timeBytes(kTime2019));
  EXPECT_EQ(textAt(page, h.primaryOffset, h.primaryLength), u"Budget");
  EXPECT_EQ(textAt(page, h.secondaryOffset, h.secondaryLength), u"RE: ");
  EXPECT_EQ(textAt(page, h.thirdOffset, h.thirdLength), u"Carol");

  // "**" at p + 90 moves the time to p + 82.
  const Bytes starred = testing::PageBytes(32768, 60)
                            .add(testing::headerRowLarge(kFolder, kMessage, kTime2019, {u"", u"X", u""}, true))
                            .bytes();
  headers = parseHeaderRows(starred, store::PageSizeClass::Page32K, table, c, store::FileOffset(32768 * 9));
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(headers[0].time.bytes, testing::timeBytes(kTime2019));

  // Rows of 88 bytes or less hold no header.
  Bytes shortRow(88, 0x20);
  EXPECT_TRUE(parseHeaderRows(testing::PageBytes(32768, 60).add(shortRow).bytes(), store::PageSizeClass::Page32K, table,
                              c, store::FileOffset(0))
                  .empty());
}

TEST(HeaderRow, DamagedPagesNeverReadOutsideThePage) {
  // Tags pointing anywhere, rows cut short: whatever comes out, nothing is read outside.
  const Bytes row =
      testing::headerRowSmall(kFolder, kMessage, kTime2019, {u"RE: ", u"Budget", u"Carol"}, kPrefix, kSubject);
  for (std::size_t cut = 0; cut <= row.size(); cut += 3) {
    Bytes part(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(cut));
    parse(part);
  }
  testing::PageBytes page(4096, 50);
  page.rawTag(0x0FFF, 0x0FF0).rawTag(0x0200, 0x0F00).rawTag(0x0FFF, 0);
  HeaderTableInfo table{FolderId::fromBytes(kFolder), FolderKind::Calendar, std::nullopt};
  EXPECT_TRUE(
      parseHeaderRows(page.bytes(), store::PageSizeClass::Page4K, table, smallColumns(), store::FileOffset(0)).empty());
}

TEST(HeaderRow, EveryTextLiesInsideItsPage) {
  // The fuzzing inputs kept beside the fuzz target, laid out as the target lays them: the
  // input's start as the page's start, its end as the page's end. One of them held a row
  // whose directory put a text past the end of a 32 KB page.
  const std::filesystem::path folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "tests/fuzz/corpus/scan_rows_fuzz";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++inputs;
    for (const std::size_t pageSize : {std::size_t{4096}, std::size_t{8192}, std::size_t{32768}}) {
      Bytes page(pageSize, 0);
      const std::size_t half = std::min(data.size(), pageSize / 2);
      std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(half), page.begin());
      std::copy(data.end() - static_cast<std::ptrdiff_t>(half), data.end(),
                page.end() - static_cast<std::ptrdiff_t>(half));
      const store::PageSizeClass cls = store::pageSizeClassFor(static_cast<std::uint32_t>(pageSize));
      const FolderId key = data.size() >= 8 ? FolderId::fromBytes(std::span(data).first(8)) : FolderId{};
      HeaderTableInfo table{key, data.size() > 20 ? static_cast<FolderKind>(data[20] % 6) : FolderKind::Calendar,
                            std::nullopt};
      const std::uint16_t column = data.size() >= 18 ? static_cast<std::uint16_t>(data[16] | (data[17] << 8)) : 0x0147;
      HeaderColumns columns;
      columns.subjectPrefix = column;
      columns.normalizedSubject = static_cast<std::uint16_t>(column + 1);
      columns.senderName = static_cast<std::uint16_t>(column + 2);
      for (const MessageHeader& h : parseHeaderRows(page, cls, table, columns, store::FileOffset(0))) {
        SCOPED_TRACE(entry.path().filename().string() + " as a page of " + std::to_string(pageSize));
        EXPECT_LE(std::size_t{h.primaryOffset} + h.primaryLength, pageSize);
        EXPECT_LE(std::size_t{h.secondaryOffset} + h.secondaryLength, pageSize);
        EXPECT_LE(std::size_t{h.thirdOffset} + h.thirdLength, pageSize);
      }
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace tarnwick::analysis
