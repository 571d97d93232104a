#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/Crc32.h"
#include "codec/RtfCompressor.h"
#include "codec/RtfDecompressor.h"
#include "codec/RtfGroupDepth.h"

namespace tarnwick::codec {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The two example streams of the published compressed RTF format, with their RTF.
const Bytes kSimpleStream = {0x2d, 0x00, 0x00, 0x00, 0x2b, 0x00, 0x00, 0x00, 0x4c, 0x5a, 0x46, 0x75, 0xf1,
                             0xc5, 0xc7, 0xa7, 0x03, 0x00, 0x0a, 0x00, 0x72, 0x63, 0x70, 0x67, 0x31, 0x32,
                             0x35, 0x42, 0x32, 0x0a, 0xf3, 0x20, 0x68, 0x65, 0x6c, 0x09, 0x00, 0x20, 0x62,
                             0x77, 0x05, 0xb0, 0x6c, 0x64, 0x7d, 0x0a, 0x80, 0x0f, 0xa0};
const std::string kSimpleRtf = "{\\rtf1\\ansi\\ansicpg1252\\pard hello world}\r\n";
const Bytes kCrossingStream = {0x1a, 0x00, 0x00, 0x00, 0x1c, 0x00, 0x00, 0x00, 0x4c, 0x5a,
                               0x46, 0x75, 0xe2, 0xd4, 0x4b, 0x51, 0x41, 0x00, 0x04, 0x20,
                               0x57, 0x58, 0x59, 0x5a, 0x0d, 0x6e, 0x7d, 0x01, 0x0e, 0xb0};
const std::string kCrossingRtf = "{\\rtf1 WXYZWXYZWXYZWXYZWXYZ}";

void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A stream of the given type around `contents`, with correct sizes and CRC.
Bytes makeStream(const char* type, const Bytes& contents, std::uint32_t rawSize) {
  Bytes s(16, 0);
  putU32(s, 0, static_cast<std::uint32_t>(contents.size() + 12));
  putU32(s, 4, rawSize);
  std::copy(type, type + 4, s.begin() + 8);
  if (std::string(type) == "LZFu") putU32(s, 12, crc32(contents));
  s.insert(s.end(), contents.begin(), contents.end());
  return s;
}

TEST(decompressRtf, PublishedExamplesDecodeToTheirWholeText) {
  for (const auto& [stream, rtf] : {std::pair{kSimpleStream, kSimpleRtf}, std::pair{kCrossingStream, kCrossingRtf}}) {
    const auto r = decompressRtf(stream);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->rtf, rtf);  // nothing lost at the end, nothing added
    EXPECT_EQ(r->kind, RtfStreamKind::Compressed);
    EXPECT_TRUE(r->crcMatches);
    EXPECT_TRUE(r->complete);
    EXPECT_EQ(r->bracesAdded, 0u);
  }
}

TEST(decompressRtf, HeaderRefusalsAndCrcReport) {
  EXPECT_FALSE(decompressRtf(Bytes(15, 0)).has_value());
  Bytes tooBig = kSimpleStream;
  putU32(tooBig, 0, static_cast<std::uint32_t>(tooBig.size() + 1));
  EXPECT_FALSE(decompressRtf(tooBig).has_value());

  // A wrong CRC is reported; the text is still decoded.
  Bytes badCrc = kSimpleStream;
  badCrc[12] ^= 0x01;
  const auto r = decompressRtf(badCrc);
  ASSERT_TRUE(r.has_value());
  EXPECT_FALSE(r->crcMatches);
  EXPECT_EQ(r->rtf, kSimpleRtf);

  // A raw size smaller than the contents: the output stops at the raw size.
  Bytes shortRaw = kSimpleStream;
  putU32(shortRaw, 4, 10);
  EXPECT_EQ(decompressRtf(shortRaw)->rtf, kSimpleRtf.substr(0, 10));
}

TEST(decompressRtf, UncompressedForm) {
  const std::string text = "{\\rtf1\\ansi plain}";
  const Bytes contents(text.begin(), text.end());
  const auto r = decompressRtf(makeStream("MELA", contents, static_cast<std::uint32_t>(text.size())));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->kind, RtfStreamKind::Uncompressed);
  EXPECT_EQ(r->rtf, text);
  EXPECT_TRUE(r->crcMatches && r->complete);

  // Cut short: what there is, then the group closed.
  const Bytes cut(contents.begin(), contents.begin() + 11);
  const auto c = decompressRtf(makeStream("MELA", cut, static_cast<std::uint32_t>(text.size())));
  EXPECT_EQ(c->rtf, text.substr(0, 11) + "}");
  EXPECT_FALSE(c->complete);
  EXPECT_EQ(c->bracesAdded, 1u);
}

TEST(decompressRtf, ReferencesIntoTheDictionary) {
  // Offset 0, length 6: the start of the initial dictionary.
  EXPECT_EQ(decompressRtf(makeStream("LZFu", {0x01, 0x00, 0x04}, 6))->rtf, "{\\rtf1");
  // A literal at position 207, then offset 207 length 3: the copy reads what it writes.
  EXPECT_EQ(decompressRtf(makeStream("LZFu", {0x02, 'x', 0x0C, 0xF1}, 4))->rtf, "xxxx");
  // Offset 4094, length 4: wraps from 4095 to 0 (unwritten positions read as zero bytes).
  EXPECT_EQ(decompressRtf(makeStream("LZFu", {0x01, 0xFF, 0xE2}, 4))->rtf, std::string("\0\0{\\", 4));
  // An unknown type decodes as LZFu and says so.
  const auto u = decompressRtf(makeStream("ABCD", {0x01, 0x00, 0x04}, 6));
  EXPECT_EQ(u->kind, RtfStreamKind::Unknown);
  EXPECT_EQ(u->rtf, "{\\rtf1");
}

std::string sampleRtf(std::size_t paragraphs) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n";
  std::mt19937 rng(7);
  const char* words[] = {"Meeting ", "agenda ", "{\\b budget} ", "{\\i review} ", "\\{literal\\} ", "Q3 ", "\\par\r\n"};
  for (std::size_t p = 0; p < paragraphs; ++p) {
    rtf += "{\\pard\\plain\\f0\\fs20 ";
    for (int w = 0; w < 12; ++w) rtf += words[rng() % 7];
    rtf += "\\par}\r\n";
  }
  return rtf + "}";
}

TEST(compressRtf, ReproducesThePublishedExamples) {
  EXPECT_EQ(compressRtf(kSimpleRtf), kSimpleStream);
  EXPECT_EQ(compressRtf(kCrossingRtf), kCrossingStream);
}

TEST(compressRtf, RoundTrips) {
  std::vector<std::string> inputs = {"", "{", kSimpleRtf, sampleRtf(1), sampleRtf(300), std::string(5000, 'x')};
  std::mt19937 rng(99);
  std::string noise(10000, '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  inputs.push_back(noise);
  for (const std::string& in : inputs) {
    const Bytes stream = compressRtf(in);
    const auto r = decompressRtf(stream);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->rtf, in) << "size " << in.size();
    EXPECT_TRUE(r->crcMatches && r->complete);
  }
  const std::string big = sampleRtf(300);
  EXPECT_LT(compressRtf(big).size(), big.size() / 2);
}

TEST(decompressRtf, StreamsCutShortCloseTheirOpenGroups) {
  const std::string rtf = sampleRtf(40);
  const Bytes full = compressRtf(rtf);
  for (std::size_t cut = 20; cut < full.size(); cut += 7) {
    Bytes damaged(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    putU32(damaged, 0, static_cast<std::uint32_t>(cut - 4));
    const auto r = decompressRtf(damaged);
    ASSERT_TRUE(r.has_value());
    EXPECT_FALSE(r->complete);
    const std::string decoded = r->rtf.substr(0, r->rtf.size() - r->bracesAdded);
    ASSERT_EQ(rtf.compare(0, decoded.size(), decoded), 0) << "cut " << cut;
    EXPECT_EQ(r->rtf.substr(decoded.size()), std::string(r->bracesAdded, '}'));
    EXPECT_EQ(openRtfGroups(r->rtf), 0u);
    EXPECT_GT(r->bracesAdded, 0u);  // every prefix of the sample leaves its outer group open
  }
}

TEST(OpenRtfGroups, CountsOnlyRealBraces) {
  EXPECT_EQ(openRtfGroups("{\\rtf1{\\b x}"), 1u);
  EXPECT_EQ(openRtfGroups("{\\rtf1 \\{ \\} \\\\{"), 2u);
  EXPECT_EQ(openRtfGroups("}}{"), 1u);
  EXPECT_EQ(openRtfGroups(std::string("{\\bin3 {{{{", 11)), 2u);
  EXPECT_TRUE(scanRtfGroups("{\\b x\\").danglingBackslash);
  EXPECT_FALSE(scanRtfGroups("{\\b x\\\\").danglingBackslash);
  EXPECT_EQ(openRtfGroups("{\\bin999999999999999999999 {"), 1u);
}

}  // namespace
}  // namespace tarnwick::codec
