#include "store/PageHeader.h"

#include "platform/LittleEndian.h"
#include "store/PageLayout.h"

namespace tarnwick::store {

std::uint32_t PageOwnerObjectId(std::span<const std::uint8_t> page) {
  return ReadU32LE(page, layout::kPageOwnerObjectIdOffset).value_or(0);
}

std::uint16_t PageTagCount(std::span<const std::uint8_t> page) {
  return ReadU16LE(page, layout::kPageTagCountOffset).value_or(0);
}

bool IsBranchPage(std::span<const std::uint8_t> page) {
  auto low = ReadU8(page, layout::kPageFlagsLowOffset);
  auto high = ReadU8(page, layout::kPageFlagsHighOffset);
  if (!low || !high) return false;
  const std::uint8_t lowNibble = *low & layout::kPageFlagsNibbleMask;
  const std::uint8_t highNibble = *high & layout::kPageFlagsNibbleMask;
  return (lowNibble & layout::kBranchLowNibbleForbiddenBits) == 0 && highNibble == layout::kBranchHighNibble;
}

}  // namespace tarnwick::store
