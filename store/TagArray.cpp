#include "store/TagArray.h"

#include "store/BoundedBytes.h"
#include "store/PageHeader.h"
#include "store/PageLayout.h"
#include "store/StoreGeometry.h"

#include <algorithm>

namespace tarnwick::store {

std::vector<PageTag> readTagArray(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass,
                                  TagSelection selection) {
  std::vector<PageTag> out;
  const std::size_t headerLength = pageHeaderLengthFor(pageSizeClass);
  const std::uint16_t mask = tagMaskFor(pageSizeClass);
  if (headerLength == 0 || page.size() < headerLength) return out;
  const std::size_t tagRoom = (page.size() - headerLength) / layout::kTagLength;
  const std::size_t tagCount = std::min<std::size_t>(pageTagCount(page), tagRoom);
  std::size_t visited = tagCount;
  if (tagCount > 0 &&
      (selection == TagSelection::AllButLast || (selection == TagSelection::AllButLastUnlessSingle && tagCount >= 2))) {
    --visited;
  }
  const BoundedBytes tags(page.last(tagCount * layout::kTagLength));
  out.reserve(visited);
  for (std::size_t i = 0; i < visited; ++i) {
    const std::size_t at = i * layout::kTagLength;
    const std::uint16_t size = tags.u16(at + layout::kTagSizeWordOffset) & mask;
    const std::uint16_t offset = tags.u16(at + layout::kTagOffsetWordOffset) & mask;
    const std::size_t start = headerLength + offset;
    if (start > page.size() || page.size() - start < size) continue;
    out.push_back(PageTag{static_cast<std::int64_t>(start), static_cast<std::int64_t>(size)});
  }
  return out;
}

}  // namespace tarnwick::store
