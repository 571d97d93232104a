#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

namespace {
// Exchange 2003 (SP1 and earlier) writes 4 KB pages with XOR checksums, revision 9;
// Exchange 2007 8 KB pages with ECC checksums; Exchange 2010 32 KB pages with the
// extended page header, 15-bit tags and value compression.
constexpr FormatTraits kTraits[] = {
    {StoreFormat::Exchange2003, "4k", 4096, 40, 0x09, false, false, 0x1FFF, false, false, false, 5, 2, 3790, 1},
    {StoreFormat::Exchange2007, "8k", 8192, 40, 0x0C, true, false, 0x1FFF, false, false, false, 5, 2, 3790, 2},
    {StoreFormat::Exchange2010, "32k", 32768, 80, 0x11, true, true, 0x7FFF, true, true, true, 6, 1, 7600, 0},
};
}  // namespace

const FormatTraits& traitsOf(StoreFormat format) { return kTraits[static_cast<int>(format)]; }

std::optional<StoreFormat> parseStoreFormat(std::string_view text) {
  for (const auto& t : kTraits) {
    if (t.name == text) return t.format;
  }
  return std::nullopt;
}

}  // namespace tarnwick::storegen
