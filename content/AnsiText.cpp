#include "content/AnsiText.h"

#include <array>

namespace tarnwick::content {

namespace {
// 0x80..0x9F of Windows-1252; the five unassigned positions map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char16_t fromWindows1252(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return static_cast<char16_t>(byte);
}

std::u16string windows1252ToUtf16(std::span<const std::uint8_t> bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::uint8_t b : bytes) out.push_back(fromWindows1252(b));
  return out;
}

}  // namespace tarnwick::content
