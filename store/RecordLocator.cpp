#include "store/RecordLocator.h"

#include "store/BoundedBytes.h"
#include "store/PageHeader.h"
#include "store/PageReader.h"

#include <algorithm>

namespace tarnwick::store {

std::size_t locateRecords(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass,
                          std::span<RecordSlot> slots) {
  const std::size_t headerLength = pageHeaderLengthFor(pageSizeClass);
  const std::uint16_t mask = tagMaskFor(pageSizeClass);
  if (headerLength == 0 || page.size() < headerLength || isBranchPage(page)) return 0;

  // A damaged tag count may claim more tags than the page holds; only the tags that lie
  // between the header and the end of the page are read.
  const std::size_t tagRoom = (page.size() - headerLength) / layout::kTagLength;
  const std::size_t tagCount = std::min<std::size_t>(pageTagCount(page), tagRoom);
  const std::size_t capacity = std::min(slots.size(), layout::kMaxRecordSlots);
  const BoundedBytes tags(page.last(tagCount * layout::kTagLength));

  std::size_t filled = 0;
  for (std::int64_t at = 0; at < tags.size() && filled < capacity; at += layout::kTagLength) {
    const std::uint16_t size = tags.u16(at + layout::kTagSizeWordOffset) & mask;
    const std::uint16_t offset = tags.u16(at + layout::kTagOffsetWordOffset) & mask;
    if (size == 0) continue;
    const std::size_t start = headerLength + offset;
    if (start > page.size() || page.size() - start < size) continue;  // runs past the page
    slots[filled++] = RecordSlot{static_cast<std::int32_t>(start), static_cast<std::int16_t>(size)};
  }
  return filled;
}

std::size_t locateRecords(const StoreFile& file, const StoreGeometry& geometry, FileOffset offset,
                          std::span<RecordSlot> slots, std::vector<std::uint8_t>& scratch) {
  const auto page = readPage(file, geometry, offset, static_cast<std::size_t>(geometry.PageSize), scratch);
  if (page.empty()) return 0;
  return locateRecords(page, geometry.PageSizeClass, slots);
}

std::span<const std::uint8_t> recordBytes(std::span<const std::uint8_t> page, RecordSlot slot) {
  if (slot.offset < 0 || slot.size <= 0) return {};
  const auto start = static_cast<std::size_t>(slot.offset);
  const auto size = static_cast<std::size_t>(slot.size);
  if (start > page.size() || page.size() - start < size) return {};
  return page.subspan(start, size);
}

}  // namespace tarnwick::store
