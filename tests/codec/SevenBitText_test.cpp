#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/SevenBitText.h"
#include "tests/content/DecoderTestData.h"

namespace tarnwick::codec {
namespace {

using Bytes = std::vector<std::uint8_t>;

// decode7Bit into a zeroed buffer of exactly the room it asks for; the text is the bytes
// up to the first NUL, as callers take it.
struct Decoded {
  UnpackResult result;
  Bytes text;
};

Decoded decodeText(const Bytes& value) {
  Decoded d;
  Bytes out(value.empty() ? 1 : (value.size() - 1) * 8 / 7 + 1, 0);
  d.result = decode7Bit(value, out);
  std::size_t n = 0;
  while (n < d.result.count && out[n] != 0) ++n;
  d.text.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
  return d;
}

struct RealValue {
  const char* file;
  std::size_t offset;
  std::size_t length;
  Bytes expected;
};

TEST(SevenBitText, ValuesPackedByTheDatabaseEngine) {
  const std::vector<RealValue> values = {
      {"text.edb", 141684, 838,
       test::textWithRun("Max long compressed ASCII text that can be a bit longer ", 'a', 900)},
      {"binary.edb", 141942, 821, test::textWithRun("test max long compressed binary data ", 'a', 900)},
      {"multi.edb", 132591, 37, test::textWithRun("", 'a', 41)},
  };
  for (const RealValue& v : values) {
    const Bytes file = test::readEseSample(v.file);
    ASSERT_GE(file.size(), v.offset + v.length) << v.file;
    const Bytes value(file.begin() + static_cast<std::ptrdiff_t>(v.offset),
                      file.begin() + static_cast<std::ptrdiff_t>(v.offset + v.length));
    const Decoded d = decodeText(value);
    EXPECT_TRUE(d.result.ok) << v.file;
    EXPECT_EQ(d.text, v.expected) << v.file;
    EXPECT_EQ(unpack7BitText(value), v.expected) << v.file;
    // The packer writes the engine's bytes, format byte included.
    EXPECT_EQ(encode7Bit(v.expected, SevenBitKind::Ascii), value) << v.file;
  }
}

TEST(SevenBitText, DecoderRefusals) {
  Bytes out(8, 0);
  const UnpackResult one = decode7Bit(Bytes{0x0F, 0x41}, out);
  EXPECT_TRUE(one.ok);
  EXPECT_EQ(one.count, 1u);
  EXPECT_EQ(out[0], 0x41);

  EXPECT_FALSE(decode7Bit(Bytes{0x18, 0x41}, out).ok);  // LZ77, not 7-bit
  EXPECT_FALSE(decode7Bit(Bytes{}, out).ok);
  EXPECT_FALSE(decode7Bit(Bytes{0x0F, 0x41}, std::span<std::uint8_t>()).ok);
  EXPECT_FALSE(decode7Bit(Bytes{0x08, 0xC1}, out).ok);  // padding bits set: not 7-bit text
  // Eight bytes of packed text need room for nine characters.
  const Bytes eight = {0x0F, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_FALSE(decode7Bit(eight, std::span<std::uint8_t>(out).first(8)).ok);
  Bytes room(9, 0);
  EXPECT_EQ(decode7Bit(eight, room).count, 9u);

  EXPECT_FALSE(unpack7BitText(Bytes{0x18, 1, 2}).has_value());
  EXPECT_FALSE(unpack7BitText(Bytes{}).has_value());
}

TEST(SevenBitText, RoundTripsEveryLengthAndBothKinds) {
  const std::string source = "Inbox Sent Items IPF.Note Calendar Contacts 0123456789 ~!@#$%^&*()";
  for (std::size_t n = 0; n <= source.size(); ++n) {
    const Bytes ascii(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(n));
    const auto packed = encode7Bit(ascii, SevenBitKind::Ascii);
    ASSERT_TRUE(packed.has_value());
    EXPECT_EQ((*packed)[0] & 0xF8, 0x08);
    EXPECT_EQ(packed->size(), 1 + (n * 7 + 7) / 8);
    EXPECT_EQ(unpack7BitText(*packed), ascii) << n;
    const Decoded d = decodeText(*packed);
    EXPECT_TRUE(d.result.ok) << n;
    EXPECT_EQ(d.text, ascii) << n;

    const Bytes wide = test::utf16le(ascii);
    const auto packedWide = encode7Bit(wide, SevenBitKind::Unicode);
    ASSERT_TRUE(packedWide.has_value());
    EXPECT_EQ((*packedWide)[0] & 0xF8, 0x10);
    EXPECT_EQ(unpack7BitText(*packedWide), wide) << n;
    EXPECT_EQ(decodeText(*packedWide).text, ascii) << n;  // the store's unpacker gives the characters
  }
}

TEST(SevenBitText, PackerRefusesWhatSevenBitsCannotHold) {
  EXPECT_FALSE(encode7Bit(Bytes{'a', 0xE9}, SevenBitKind::Ascii).has_value());
  EXPECT_FALSE(encode7Bit(Bytes{'a', 0, 'b'}, SevenBitKind::Unicode).has_value());
  EXPECT_FALSE(encode7Bit(Bytes{'a', 0, 0x3E, 0xD8}, SevenBitKind::Unicode).has_value());
}

}  // namespace
}  // namespace tarnwick::codec
