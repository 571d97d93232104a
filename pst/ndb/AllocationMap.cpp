#include "pst/ndb/AllocationMap.h"

#include <bit>

#include "codec/Crc32.h"
#include "pst/ndb/BlockSignature.h"
#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

using namespace layout;

AllocationMap::AllocationMap(PageSink sink) : sink_(std::move(sink)) { openRegion(0); }

void AllocationMap::openRegion(std::uint64_t region) {
  region_ = region;
  bits_.fill(0);
  regionFree_.push_back(0);
  std::uint64_t start = regionStart(region).value;
  next_ = start + kPageSize;  // the AMap page itself
  if (region % kRegionsPerPMap == 0) {
    writeMapPage(FileOffset{next_}, kPageTypePMap, 0xFF);
    next_ += kPageSize;
  }
  if (region >= kFirstFMapRegion && (region - kFirstFMapRegion) % kRegionsPerFMap == 0) {
    writeMapPage(FileOffset{next_}, kPageTypeFMap, 0x00);
    next_ += kPageSize;
  }
  if (region >= kFirstFPMapRegion && (region - kFirstFPMapRegion) % kRegionsPerFPMap == 0) {
    writeMapPage(FileOffset{next_}, kPageTypeFPMap, 0xFF);
    next_ += kPageSize;
  }
  markSlots(start, next_);
}

void AllocationMap::markSlots(std::uint64_t from, std::uint64_t to) {
  std::uint64_t base = regionStart(region_).value;
  for (std::uint64_t slot = (from - base) / kSlotSize; slot < (to - base) / kSlotSize; ++slot)
    bits_[slot / 8] |= static_cast<std::uint8_t>(0x80u >> (slot % 8));
}

void AllocationMap::writeMapPage(FileOffset at, std::uint8_t type, std::uint8_t fill) {
  std::array<std::uint8_t, kPageSize> page{};
  std::fill(page.begin(), page.begin() + kPageDataSize, fill);
  page[kPageDataSize] = type;
  page[kPageDataSize + 1] = type;
  store16(&page[kPageDataSize + 2], 0);  // map pages carry no signature
  store32(&page[kPageDataSize + 4], codec::crc32(std::span(page).first(kPageDataSize)));
  store64(&page[kPageDataSize + 8], at.value);  // a map page's id is its offset
  sink_(at, page);
}

void AllocationMap::closeRegion() {
  std::array<std::uint8_t, kPageSize> page{};
  std::copy(bits_.begin(), bits_.end(), page.begin());
  std::uint32_t used = 0;
  for (std::uint8_t b : bits_) used += static_cast<std::uint32_t>(std::popcount(b));
  regionFree_.back() = static_cast<std::uint32_t>(kSlotsPerRegion) - used;
  FileOffset at = regionStart(region_);
  page[kPageDataSize] = kPageTypeAMap;
  page[kPageDataSize + 1] = kPageTypeAMap;
  store32(&page[kPageDataSize + 4], codec::crc32(std::span(page).first(kPageDataSize)));
  store64(&page[kPageDataSize + 8], at.value);
  sink_(at, page);
}

FileOffset AllocationMap::allocate(std::uint64_t size, std::uint64_t alignment) {
  for (;;) {
    std::uint64_t at = (next_ + alignment - 1) / alignment * alignment;
    std::uint64_t end = regionStart(region_ + 1).value;
    if (at + size <= end) {
      markSlots(at, at + size);
      next_ = at + size;
      return FileOffset{at};
    }
    closeRegion();
    openRegion(region_ + 1);
  }
}

FileOffset AllocationMap::finish() {
  closeRegion();
  return regionStart(region_ + 1);
}

FileOffset AllocationMap::lastAMap() const { return regionStart(region_); }

std::uint64_t AllocationMap::freeBytes() const {
  std::uint64_t free = 0;
  for (std::uint32_t f : regionFree_) free += f;
  return free * kSlotSize;
}

}  // namespace tarnwick::pst
