#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "codec/Lz77Decoder.h"
#include "codec/Lz77Encoder.h"
#include "tests/content/DecoderTestData.h"

namespace tarnwick::codec {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Unpacked {
  UnpackResult result;
  Bytes bytes;
};

Unpacked unpack(const Bytes& value, std::size_t capacity) {
  Unpacked u;
  u.bytes.assign(capacity, 0);
  u.result = decodeLz77(value, u.bytes);
  u.bytes.resize(u.result.count);
  return u;
}

Bytes frame(const Bytes& stream, std::uint16_t size = 0) {
  Bytes v{0x18, static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8)};
  v.insert(v.end(), stream.begin(), stream.end());
  return v;
}

Bytes flagWord(std::uint32_t flags) {
  return {static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(flags >> 8),
          static_cast<std::uint8_t>(flags >> 16), static_cast<std::uint8_t>(flags >> 24)};
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Values the database engine itself compressed, located in the sample stores by their
// page tags (file offset and length of the value).
struct RealValue {
  const char* file;
  std::size_t offset;
  std::size_t length;
  Bytes expected;
};

Bytes fox() { return {0x3E, 0xD8, 0x8A, 0xDD}; }  // U+1F98A in UTF-16LE

std::vector<RealValue> realValues() {
  Bytes unicode = test::utf16le(test::textWithRun("Long compressed Unicode text ", 'x', 0));
  unicode = concat({unicode, fox(), test::utf16le(test::textWithRun(" ", 'a', 1024))});
  return {
      {"text.edb", 183462, 41, test::textWithRun("Long compressed ASCII text ", 'a', 1024)},
      {"text.edb", 183525, 72, unicode},
      {"binary.edb", 135234, 51, test::textWithRun("test long compressed binary data ", 'a', 1000)},
  };
}

TEST(Lz77Decode, ValuesWrittenByTheDatabaseEngine) {
  for (const RealValue& v : realValues()) {
    const Bytes file = test::readEseSample(v.file);
    ASSERT_GE(file.size(), v.offset + v.length) << v.file;
    const Bytes value(file.begin() + static_cast<std::ptrdiff_t>(v.offset),
                      file.begin() + static_cast<std::ptrdiff_t>(v.offset + v.length));
    ASSERT_EQ(value[0], 0x18) << v.file;
    EXPECT_EQ(lz77UnpackedSize(value), v.expected.size()) << v.file;
    const Unpacked u = unpack(value, 32768);
    EXPECT_TRUE(u.result.ok) << v.file;
    EXPECT_EQ(u.bytes, v.expected) << v.file << " at " << v.offset;

    // Exactly the unpacked size is enough room; one byte less is not.
    EXPECT_TRUE(unpack(value, v.expected.size()).result.ok);
    const Unpacked tight = unpack(value, v.expected.size() - 1);
    EXPECT_FALSE(tight.result.ok);
    EXPECT_EQ(tight.result.count, v.expected.size() - 1);
  }
}

TEST(Lz77Decode, MultiValuedColumnsOfTheEngine) {
  // multi.edb packs each value of its multi-valued columns on its own: "Some very long
  // compressed <kind> that has multiple values, this is value <n> " (then n foxes and a
  // space in the Unicode ones) and "a"s up to the size the framing declares. The Unicode ones share half bytes between
  // matches.
  struct MultiValue {
    std::size_t offset, length;
    const char* kind;
    int number;
    bool unicode;
  };
  const MultiValue values[] = {
      {183633, 95, "binary data", 1, false},  {183750, 95, "binary data", 2, false},
      {183867, 95, "binary data", 3, false},  {198883, 95, "ASCII text", 1, false},
      {199000, 95, "ASCII text", 2, false},   {199117, 95, "ASCII text", 3, false},
      {199234, 141, "Unicode text", 1, true}, {199397, 143, "Unicode text", 2, true},
      {199562, 143, "Unicode text", 3, true},
  };
  const Bytes file = test::readEseSample("multi.edb");
  ASSERT_FALSE(file.empty());
  for (const MultiValue& m : values) {
    const Bytes value(file.begin() + static_cast<std::ptrdiff_t>(m.offset),
                      file.begin() + static_cast<std::ptrdiff_t>(m.offset + m.length));
    const Unpacked u = unpack(value, 32768);
    ASSERT_TRUE(u.result.ok) << m.offset;
    ASSERT_EQ(u.bytes.size(), lz77UnpackedSize(value)) << m.offset;
    const std::string prefix = std::string("Some very long compressed ") + m.kind +
                               " that has multiple values, this is value " + std::to_string(m.number) + " ";
    Bytes expected(prefix.begin(), prefix.end());
    if (m.unicode) {
      expected = test::utf16le(expected);
      for (int f = 0; f < m.number; ++f) expected = concat({expected, fox()});
      expected = concat({expected, test::utf16le({' '})});
    }
    while (expected.size() < u.bytes.size()) {
      expected.push_back('a');
      if (m.unicode) expected.push_back(0);
    }
    EXPECT_EQ(u.bytes, expected) << m.offset;
  }
}

TEST(Lz77Decode, FramingAndRefusals) {
  Bytes out(16, 0);
  EXPECT_TRUE(decodeLz77(Bytes{0x18, 0, 0}, out).ok);
  EXPECT_EQ(decodeLz77(Bytes{0x18, 0, 0}, out).count, 0u);
  EXPECT_FALSE(decodeLz77(Bytes{0x19, 0, 0, 0, 0, 0, 0}, out).ok);
  EXPECT_FALSE(decodeLz77(Bytes{0x18, 0}, out).ok);
  EXPECT_FALSE(decodeLz77(Bytes{0x18, 0, 0}, std::span<std::uint8_t>()).ok);
  EXPECT_FALSE(lz77UnpackedSize(Bytes{0x08, 1, 2}).has_value());

  // A flag word cut short, a match cut short, a length byte missing.
  EXPECT_FALSE(decodeLz77(Bytes{0x18, 0, 0, 0, 0}, out).ok);
  EXPECT_FALSE(unpack(frame(concat({flagWord(0x40000000), {'a', 0x00}})), 16).result.ok);
  EXPECT_FALSE(unpack(frame(concat({flagWord(0x40000000), {'a', 0x07, 0x00}})), 16).result.ok);
}

TEST(Lz77Decode, MatchesCopyByteByByteAndStayInsideTheOutput) {
  // 'a', then a match one back of length 3 + 2 (repeats what it writes).
  const Unpacked run = unpack(frame(concat({flagWord(0x40000000), {'a', 0x02, 0x00}})), 16);
  EXPECT_TRUE(run.result.ok);
  EXPECT_EQ(run.bytes, Bytes(6, 'a'));

  // A match reaching before the start of the output fails.
  EXPECT_FALSE(unpack(frame(concat({flagWord(0x40000000), {'a', 0x08, 0x00}})), 16).result.ok);
  EXPECT_FALSE(unpack(frame(concat({flagWord(0x80000000), {0x00, 0x00}})), 16).result.ok);

  // Output capacity: nothing is written at or beyond it, the count says how far it got.
  Bytes guard(8, 0xEE);
  const Bytes value = frame(concat({flagWord(0x40000000), {'a', 0x02, 0x00}}));
  const UnpackResult r = decodeLz77(value, std::span<std::uint8_t>(guard).first(4));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.count, 4u);
  EXPECT_EQ(guard, (Bytes{'a', 'a', 'a', 'a', 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(Lz77Decode, LongLengthsShareHalfBytesAndExtend) {
  // Two length codes of 7: the first takes the low half of the extra byte (2 -> 7+2+3 = 12),
  // the second its high half (5 -> 15).
  const Unpacked halves = unpack(frame(concat({flagWord(0x60000000), {'x', 0x07, 0x00, 0x52, 0x07, 0x00}})), 64);
  EXPECT_TRUE(halves.result.ok);
  EXPECT_EQ(halves.bytes, Bytes(1 + 12 + 15, 'x'));

  // Half byte 15, then a byte: 22 + 10 + 3.
  const Unpacked byteLength = unpack(frame(concat({flagWord(0x40000000), {'x', 0x07, 0x00, 0x0F, 10}})), 64);
  EXPECT_EQ(byteLength.bytes.size(), 1u + 35);

  // Byte 255, then a u16 of 300: the match copies 303 bytes.
  const Unpacked u16Length =
      unpack(frame(concat({flagWord(0x40000000), {'x', 0x07, 0x00, 0x0F, 0xFF, 0x2C, 0x01}})), 1024);
  EXPECT_TRUE(u16Length.result.ok);
  EXPECT_EQ(u16Length.bytes, Bytes(1 + 303, 'x'));

  // A u16 of 0 announces a u32 length (70,000 + 3).
  const Unpacked u32Length = unpack(
      frame(concat({flagWord(0x40000000), {'x', 0x07, 0x00, 0x0F, 0xFF, 0x00, 0x00, 0x70, 0x11, 0x01, 0x00}})), 80000);
  EXPECT_TRUE(u32Length.result.ok);
  EXPECT_EQ(u32Length.bytes, Bytes(1 + 70003, 'x'));
}

Bytes roundTrip(const Bytes& data) {
  const Bytes stream = encodeLz77Stream(data);
  Bytes out(data.size() + 1, 0);
  const UnpackResult r = decodeLz77(frame(stream), out);
  EXPECT_TRUE(r.ok);
  out.resize(r.count);
  return out;
}

TEST(Lz77Encode, RoundTripsVariedData) {
  std::mt19937 rng(12345);
  std::vector<Bytes> inputs;
  inputs.push_back({});
  inputs.push_back({'q'});
  inputs.push_back(test::textWithRun("Long compressed ASCII text ", 'a', 1024));
  Bytes noise(20000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  inputs.push_back(noise);
  // Runs whose lengths sit on every boundary of the length encoding.
  for (std::size_t len : {3u, 9u, 10u, 24u, 25u, 26u, 279u, 280u, 281u, 65537u, 65538u, 65539u, 200000u}) {
    Bytes d{'<'};
    d.insert(d.end(), len, 'z');
    d.push_back('>');
    inputs.push_back(d);
  }
  // Text with repeats near and beyond the 8 KiB window.
  Bytes text;
  const std::string words[] = {"alpha ", "beta ", "gamma ", "delta\r\n", "epsilon "};
  while (text.size() < 50000) {
    const std::string& w = words[rng() % 5];
    text.insert(text.end(), w.begin(), w.end());
    if (rng() % 7 == 0) text.push_back(static_cast<std::uint8_t>(rng()));
  }
  inputs.push_back(text);
  const Bytes head(noise.begin(), noise.begin() + 9000);
  inputs.push_back(concat({head, head}));

  for (const Bytes& d : inputs) EXPECT_EQ(roundTrip(d), d) << "size " << d.size();

  const Bytes packedText = encodeLz77Stream(text);
  EXPECT_LT(packedText.size(), text.size() / 3);
  EXPECT_LT(encodeLz77Stream(inputs[2]).size(), 64u);
}

TEST(Lz77Encode, FramesLikeTheEngine) {
  const Bytes data = test::textWithRun("Long compressed ASCII text ", 'a', 1024);
  const auto value = encodeLz77(data);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ((Bytes{(*value)[0], (*value)[1], (*value)[2]}), (Bytes{0x18, 0x1B, 0x04}));
  EXPECT_EQ(lz77UnpackedSize(*value), data.size());
  Bytes out(data.size());
  EXPECT_TRUE(decodeLz77(*value, out).ok);
  EXPECT_EQ(out, data);

  EXPECT_TRUE(encodeLz77(Bytes(65535, 1)).has_value());
  EXPECT_FALSE(encodeLz77(Bytes(65536, 1)).has_value());
}

}  // namespace
}  // namespace tarnwick::codec
