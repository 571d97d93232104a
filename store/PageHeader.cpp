#include "store/PageHeader.h"

#include "store/BoundedBytes.h"
#include "store/PageLayout.h"

namespace tarnwick::store {

std::uint32_t PageOwnerObjectId(std::span<const std::uint8_t> page) {
  return BoundedBytes(page).u32(layout::kPageOwnerObjectIdOffset);
}

std::uint16_t PageTagCount(std::span<const std::uint8_t> page) {
  return BoundedBytes(page).u16(layout::kPageTagCountOffset);
}

bool IsBranchPage(std::span<const std::uint8_t> page) {
  const BoundedBytes bytes(page);
  if (!bytes.has(layout::kPageFlagsLowOffset, 1) || !bytes.has(layout::kPageFlagsHighOffset, 1)) return false;
  const std::uint8_t lowNibble = bytes.u8(layout::kPageFlagsLowOffset) & layout::kPageFlagsNibbleMask;
  const std::uint8_t highNibble = bytes.u8(layout::kPageFlagsHighOffset) & layout::kPageFlagsNibbleMask;
  return (lowNibble & layout::kBranchLowNibbleForbiddenBits) == 0 && highNibble == layout::kBranchHighNibble;
}

}  // namespace tarnwick::store
