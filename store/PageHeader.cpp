#include "store/PageHeader.h"

#include "store/BoundedBytes.h"
#include "store/PageFlags.h"
#include "store/PageLayout.h"

namespace tarnwick::store {

std::uint32_t pageOwnerObjectId(std::span<const std::uint8_t> page) {
  return BoundedBytes(page).u32(layout::kPageOwnerObjectIdOffset);
}

std::uint16_t pageTagCount(std::span<const std::uint8_t> page) {
  return BoundedBytes(page).u16(layout::kPageTagCountOffset);
}

bool isBranchPage(std::span<const std::uint8_t> page) {
  // Neither a leaf nor empty, and of the format bits only the new record format; the other
  // bits of the two low flag bytes are not looked at.
  namespace pf = page_flags;
  const BoundedBytes bytes(page);
  if (!bytes.has(pf::kOffset, 2)) return false;
  const std::uint32_t flags = bytes.u16(pf::kOffset);
  return (flags & (pf::kFlagLeaf | pf::kFlagEmpty)) == 0 && (flags & pf::kFormatBits) == pf::kFlagNewRecordFormat;
}

}  // namespace tarnwick::store
