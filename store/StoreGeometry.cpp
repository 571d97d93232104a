#include "store/StoreGeometry.h"

#include "store/PageLayout.h"

#include <algorithm>

namespace tarnwick::store {

PageSizeClass pageSizeClassFor(std::uint32_t pageSize) {
  switch (pageSize) {
    case layout::kPageSize4K: return PageSizeClass::Page4K;
    case layout::kPageSize8K: return PageSizeClass::Page8K;
    case layout::kPageSize32K: return PageSizeClass::Page32K;
    default: return PageSizeClass::Unsupported;
  }
}

std::size_t pageHeaderLengthFor(PageSizeClass pageSizeClass) {
  switch (pageSizeClass) {
    case PageSizeClass::Page4K:
    case PageSizeClass::Page8K: return layout::kPageHeaderLengthSmall;
    case PageSizeClass::Page32K: return layout::kPageHeaderLengthLarge;
    default: return 0;
  }
}

std::uint16_t tagMaskFor(PageSizeClass pageSizeClass) {
  switch (pageSizeClass) {
    case PageSizeClass::Page4K: return layout::kTagMask4K;
    case PageSizeClass::Page8K: return layout::kTagMask8K;
    case PageSizeClass::Page32K: return layout::kTagMask32K;
    default: return 0;
  }
}

std::size_t StoreGeometry::headerLength() const { return pageHeaderLengthFor(PageSizeClass); }

std::uint16_t StoreGeometry::tagMask() const { return tagMaskFor(PageSizeClass); }

std::int64_t StoreGeometry::pageCount() const {
  if (PageSize <= 0) return 0;
  std::int64_t blocks = (FileSize + PageSize - 1) / PageSize;
  return std::max<std::int64_t>(0, blocks - 2);
}

StoreGeometry makeStoreGeometry(std::uint32_t pageSize, std::int64_t fileSize) {
  StoreGeometry g;
  g.PageSizeClass = pageSizeClassFor(pageSize);
  // An unsupported value is kept only when it fits; it is never used to read pages.
  g.PageSize = pageSize <= 0x7FFFFFFFu ? static_cast<std::int32_t>(pageSize) : 0;
  g.FileSize = std::max<std::int64_t>(0, fileSize);
  g.PageReadLength = static_cast<std::uint32_t>(std::min<std::int64_t>(std::max(g.PageSize, 0), g.FileSize));
  return g;
}

FileOffset pageOffset(const StoreGeometry& geometry, PageNumber page) {
  return FileOffset((page.value + 1) * static_cast<std::int64_t>(geometry.PageSize));
}

}  // namespace tarnwick::store
