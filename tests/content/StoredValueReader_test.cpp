#include "content/StoredValueReader.h"
#include "codec/Lz77Encoder.h"
#include "codec/RtfCompressor.h"
#include "codec/SevenBitText.h"
#include "content/BodyFile.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>
#include <iterator>

namespace tarnwick::content {
namespace {

using testing::append;
using testing::appendBytes;
using testing::appendUtf16;
using testing::Bytes;
using testing::makeLeafPage;
using testing::putBytes;

class StoredValues : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / ("stored_" + std::to_string(::getpid()));
  std::filesystem::path work = dir / "tempB.img";
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::optional<StoredBody> read(const Bytes& db, std::uint32_t pageSize, std::vector<ChunkLocation> chunks,
                                 store::BodySource letter, StoredValueLocation where) {
    store::MemoryByteSource src(db);
    auto body = readStoredValue(src, store::makeStoreGeometry(pageSize, static_cast<std::int64_t>(db.size())), chunks,
                                letter, where, work);
    EXPECT_FALSE(std::filesystem::exists(work));
    return body;
  }
};

Bytes text(std::string_view s) {
  Bytes b;
  append(b, s);
  return b;
}

TEST_F(StoredValues, InlineValueIsTheBytesAfterItsFormatByte) {
  Bytes db(3 * 4096, 0);
  Bytes value{0x1F};
  appendUtf16(value, u"12345678LZFu rest");
  putBytes(db, 5000, value);
  auto plain = read(db, 4096, {}, store::BodySource::PlainUnicode, {5000, static_cast<std::int32_t>(value.size())});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->form, BodyForm::UnicodeText);
  EXPECT_EQ(plain->bytes, Bytes(value.begin() + 1, value.end()));
  // Bytes 8..11 of "<html>..." are not "LZFu": 8-bit text.
  Bytes html{0x1E};
  appendBytes(html, text("<html><body>hi</body></html>"));
  putBytes(db, 6000, html);
  auto other = read(db, 4096, {}, store::BodySource::Other, {6000, static_cast<std::int32_t>(html.size())});
  ASSERT_TRUE(other);
  EXPECT_EQ(other->form, BodyForm::EightBitText);
  EXPECT_EQ(other->bytes, text("<html><body>hi</body></html>"));
}

TEST_F(StoredValues, CompressedRtfComesBackDecoded) {
  const std::string rtf = "{\\rtf1\\ansi\\deff0 {\\fonttbl{\\f0 Arial;}} Hello RTF body\\par }";
  Bytes packed = codec::compressRtf(rtf);
  Bytes value{0x1E};
  appendBytes(value, packed);
  Bytes db(3 * 4096, 0);
  putBytes(db, 4500, value);
  auto body = read(db, 4096, {}, store::BodySource::Other, {4500, static_cast<std::int32_t>(value.size())});
  ASSERT_TRUE(body);
  EXPECT_EQ(body->form, BodyForm::Rtf);
  EXPECT_EQ(std::string(body->bytes.begin(), body->bytes.end()), rtf);
  // The same bytes as a plain Unicode body are returned untouched.
  auto plain = read(db, 4096, {}, store::BodySource::PlainUnicode, {4500, static_cast<std::int32_t>(value.size())});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->form, BodyForm::UnicodeText);
  EXPECT_EQ(plain->bytes, packed);
}

TEST_F(StoredValues, ChunksAreWrittenAtTheirOwnOffsets) {
  // Two chunks in two pages, listed second one first; inline length 5 picks the chunks
  // even though a position is given.
  Bytes first = text("<p>first chunk of the body, ");
  Bytes second = text("second chunk</p>");
  std::vector<std::uint32_t> p1, p2;
  Bytes db(4096, 0);
  Bytes r1{8, 0, 0, 0};
  appendBytes(r1, first);
  Bytes r2{8, 0, 0, 0};
  appendBytes(r2, second);
  appendBytes(db, makeLeafPage(4096, store::PageSizeClass::Page4K, {Bytes(10, 1), r1}, &p1));
  appendBytes(db, makeLeafPage(4096, store::PageSizeClass::Page4K, {r2}, &p2));
  std::vector<ChunkLocation> chunks{{8192 + p2[0] + 4, static_cast<std::uint32_t>(first.size())},
                                    {4096 + p1[1] + 4, 0}};
  auto body = read(db, 4096, chunks, store::BodySource::Other, {4096 + 200, 5});
  ASSERT_TRUE(body);
  EXPECT_EQ(body->form, BodyForm::EightBitText);
  Bytes want = first;
  appendBytes(want, second);
  EXPECT_EQ(body->bytes, want);
  // Without the chunk at offset 0 only a plain body comes back.
  EXPECT_FALSE(read(db, 4096, {chunks[0]}, store::BodySource::Other, {0, 0}));
  auto plain = read(db, 4096, {chunks[0]}, store::BodySource::PlainUnicode, {0, 0});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->form, BodyForm::UnicodeText);
  EXPECT_EQ(plain->bytes.size(), first.size() + second.size());
}

TEST_F(StoredValues, LargePageStoresUnpackCompressedValues) {
  std::string long_text(3000, 'x');
  for (std::size_t i = 0; i < long_text.size(); i += 7) long_text[i] = static_cast<char>('a' + i % 26);
  Bytes plainBytes(long_text.begin(), long_text.end());
  std::optional<Bytes> lz = codec::encodeLz77(plainBytes);
  ASSERT_TRUE(lz);
  Bytes db(3 * 32768, 0);
  Bytes lzValue{3};
  appendBytes(lzValue, *lz);
  putBytes(db, 40000, lzValue);
  auto body = read(db, 32768, {}, store::BodySource::Other, {40000, static_cast<std::int32_t>(lzValue.size())});
  ASSERT_TRUE(body);
  EXPECT_EQ(body->form, BodyForm::EightBitText);
  EXPECT_EQ(body->bytes, plainBytes);
  // A damaged LZ77 value (its first token reaches before the output) gives nothing.
  Bytes broken{3, 0x18, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  putBytes(db, 50000, broken);
  EXPECT_FALSE(read(db, 32768, {}, store::BodySource::Other, {50000, static_cast<std::int32_t>(broken.size())}));
  // 7-bit packed text.
  std::optional<Bytes> packed = codec::encode7Bit(text("Seven bit body"), codec::SevenBitKind::Ascii);
  ASSERT_TRUE(packed);
  Bytes sevenValue{3};
  appendBytes(sevenValue, *packed);
  putBytes(db, 60000, sevenValue);
  auto seven = read(db, 32768, {}, store::BodySource::Other, {60000, static_cast<std::int32_t>(sevenValue.size())});
  ASSERT_TRUE(seven);
  EXPECT_EQ(seven->bytes, text("Seven bit body"));
  // A plain-text body packed from UTF-16 comes back as UTF-16.
  Bytes wide;
  appendUtf16(wide, u"Plain body");
  std::optional<Bytes> packedWide = codec::encode7Bit(wide, codec::SevenBitKind::Unicode);
  ASSERT_TRUE(packedWide);
  Bytes wideValue{3};
  appendBytes(wideValue, *packedWide);
  putBytes(db, 61000, wideValue);
  auto plainSeven =
      read(db, 32768, {}, store::BodySource::PlainUnicode, {61000, static_cast<std::int32_t>(wideValue.size())});
  ASSERT_TRUE(plainSeven);
  EXPECT_EQ(plainSeven->form, BodyForm::UnicodeText);
  EXPECT_EQ(plainSeven->bytes, wide);
}

TEST_F(StoredValues, BodyFilesStopAtTheFirstNul) {
  Bytes wide;
  appendUtf16(wide, u"Hi");
  wide.insert(wide.end(), {0, 0, 'x', 0});
  std::filesystem::path txt = writeBodyFile({BodyForm::UnicodeText, wide}, dir);
  EXPECT_EQ(txt.filename(), "TarnBody.txt");
  std::ifstream in(txt, std::ios::binary);
  Bytes got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got, Bytes({'H', 0, 'i', 0}));
  std::filesystem::path html = writeBodyFile({BodyForm::EightBitText, text(std::string("ab\0cd", 5))}, dir);
  EXPECT_EQ(std::filesystem::file_size(html), 2u);
  EXPECT_TRUE(writeBodyFile({BodyForm::Rtf, text("{}")}, dir / "missing").empty());
}

}  // namespace
}  // namespace tarnwick::content
