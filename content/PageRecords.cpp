#include "content/PageRecords.h"

namespace tarnwick::content {

namespace {
std::uint16_t u16At(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

bool isBranchPage(std::span<const std::uint8_t> page) {
  unsigned low = page[PageLayout::kFlagsLowOffset] & 0x0F;
  unsigned high = page[PageLayout::kFlagsHighOffset] & 0x0F;
  return (low == 0 || low == 1 || low == 4 || low == 5) && high == 8;
}
}  // namespace

std::uint32_t pageOwnerObjectId(std::span<const std::uint8_t> page) {
  std::size_t at = PageLayout::kOwnerObjectIdOffset;
  if (page.size() < at + 4) return 0;
  return static_cast<std::uint32_t>(page[at]) | (static_cast<std::uint32_t>(page[at + 1]) << 8) |
         (static_cast<std::uint32_t>(page[at + 2]) << 16) | (static_cast<std::uint32_t>(page[at + 3]) << 24);
}

std::vector<PageRecord> locatePageRecords(std::span<const std::uint8_t> page, int pageSizeClass) {
  std::vector<PageRecord> records;
  if (page.size() < PageLayout::headerLength(pageSizeClass)) return records;
  if (isBranchPage(page)) return records;
  std::size_t count = u16At(page, PageLayout::kTagCountOffset);
  if (count * PageLayout::kTagSize > page.size()) return records;
  std::uint16_t mask = PageLayout::fieldMask(pageSizeClass);
  std::uint32_t header = PageLayout::headerLength(pageSizeClass);
  std::size_t tagStart = page.size() - count * PageLayout::kTagSize;
  for (std::size_t t = 0; t < count && records.size() < PageLayout::kMaxRecords; ++t) {
    std::size_t at = tagStart + t * PageLayout::kTagSize;
    std::uint32_t size = u16At(page, at) & mask;
    if (size == 0) continue;
    records.push_back({static_cast<std::uint32_t>((u16At(page, at + 2) & mask) + header), size});
  }
  return records;
}

}  // namespace tarnwick::content
