#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::content {

// One record of a page as its tag array places it: position from the page start and size.
struct PageRecord {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// Page header fields and tag array of an ESE page, as far as the content readers use them.
struct PageLayout {
  static constexpr std::size_t kOwnerObjectIdOffset = 24;
  static constexpr std::size_t kTagCountOffset = 34;
  static constexpr std::size_t kFlagsLowOffset = 36;
  static constexpr std::size_t kFlagsHighOffset = 37;
  static constexpr std::size_t kTagSize = 4;
  static constexpr std::size_t kMaxRecords = 800;

  static std::uint32_t headerLength(int pageSizeClass) { return pageSizeClass == 2 ? 80 : 40; }
  static std::uint16_t fieldMask(int pageSizeClass) {
    return pageSizeClass == 2 ? 0x7FFF : pageSizeClass == 1 ? 0x1FFF : 0x0FFF;
  }
};

// The records of a leaf page in tag-array order (at most 800; none for a branch page or a
// buffer too short for its tag array). `page` is the whole page.
std::vector<PageRecord> locatePageRecords(std::span<const std::uint8_t> page, int pageSizeClass);

// The owner object id of a page (0 when the buffer is too short).
std::uint32_t pageOwnerObjectId(std::span<const std::uint8_t> page);

}  // namespace tarnwick::content
