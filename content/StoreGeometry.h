#pragma once

#include <cstdint>

namespace tarnwick::content {

// The page format of the store being read, as the content readers need it.
struct StoreGeometry {
  std::uint32_t pageSize = 4096;
  int pageSizeClass = 0;  // 0: 4 KB pages, 1: 8 KB, 2: 32 KB

  bool largePages() const { return pageSizeClass == 2; }
  // Data bytes a long-value chunk holds in a full page: the page less its header and tag.
  std::uint32_t chunkStride() const { return pageSize - kChunkOverhead; }

  static constexpr std::uint32_t kChunkOverhead = 82;
};

}  // namespace tarnwick::content
