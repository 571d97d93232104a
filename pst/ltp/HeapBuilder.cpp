#include "pst/ltp/HeapBuilder.h"

#include "pst/PstError.h"
#include "pst/ltp/HeapLayout.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/DataTreeWriter.h"
#include "pst/ndb/Layout.h"

namespace tarnwick::pst {

using namespace layout;

std::size_t HeapBuilder::headerSize(std::size_t pageIndex) {
  if (pageIndex == 0) return kHnHeaderSize;
  if (pageIndex >= kHnFirstBitmapPage && (pageIndex - kHnFirstBitmapPage) % kHnBitmapPageInterval == 0)
    return kHnBitmapHeaderSize;
  return kHnPageHeaderSize;
}

std::size_t HeapBuilder::pageSizeFor(std::size_t pageIndex, std::size_t used, std::size_t count) {
  std::size_t mapAt = alignUp(headerSize(pageIndex) + used, 2);
  return mapAt + kHnPageMapHeaderSize + 2 * (count + 1);
}

Hid HeapBuilder::allocate(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kHnMaxAllocation) throw PstError("heap allocation larger than 3,580 bytes");
  if (pages_.empty() ||
      pageSizeFor(pages_.size() - 1, pages_.back().used + bytes.size(), pages_.back().allocations.size() + 1) >
          kMaxBlockData ||
      pages_.back().allocations.size() >= 2047)
    pages_.emplace_back();
  Page& page = pages_.back();
  page.allocations.emplace_back(bytes.begin(), bytes.end());
  page.used += bytes.size();
  return Hid::make(static_cast<std::uint32_t>(pages_.size() - 1), static_cast<std::uint32_t>(page.allocations.size()));
}

void HeapBuilder::overwrite(Hid hid, std::span<const std::uint8_t> bytes) {
  auto& alloc = pages_.at(hid.value >> 16).allocations.at(((hid.value >> 5) & 0x7FF) - 1);
  if (alloc.size() != bytes.size()) throw PstError("heap allocation replaced by one of another size");
  std::copy(bytes.begin(), bytes.end(), alloc.begin());
}

std::uint8_t HeapBuilder::fillLevel(std::size_t pageIndex) const {
  const Page& p = pages_[pageIndex];
  std::size_t free = kMaxBlockData - pageSizeFor(pageIndex, p.used, p.allocations.size());
  static constexpr std::size_t kBounds[] = {3584, 2560, 2048, 1792, 1536, 1280, 1024, 768,
                                            512,  256,  128,  64,   32,   16,   8};
  for (std::uint8_t level = 0; level < 15; ++level)
    if (free >= kBounds[level]) return level;
  return 15;
}

std::vector<std::uint8_t> HeapBuilder::pageBytes(std::size_t pageIndex) const {
  const Page& p = pages_.at(pageIndex);
  std::size_t header = headerSize(pageIndex);
  std::size_t mapAt = alignUp(header + p.used, 2);
  std::vector<std::uint8_t> out(pageSizeFor(pageIndex, p.used, p.allocations.size()), 0);
  store16(out.data(), static_cast<std::uint16_t>(mapAt));
  auto putFillLevels = [&](std::uint8_t* at, std::size_t firstPage, std::size_t count) {
    for (std::size_t i = 0; i < count && firstPage + i < pages_.size(); ++i) {
      std::uint8_t level = fillLevel(firstPage + i);
      at[i / 2] |= static_cast<std::uint8_t>((i % 2 == 0) ? level : (level << 4));
    }
  };
  if (pageIndex == 0) {
    out[2] = kHeapSignature;
    out[3] = clientSignature_;
    store32(out.data() + 4, userRoot_.value);
    putFillLevels(out.data() + 8, 0, 8);
  } else if (header == kHnBitmapHeaderSize) {
    putFillLevels(out.data() + 2, pageIndex, kHnBitmapPageInterval);
  }
  std::size_t pos = header;
  std::uint8_t* map = out.data() + mapAt;
  store16(map, static_cast<std::uint16_t>(p.allocations.size()));
  store16(map + 2, 0);
  for (std::size_t i = 0; i < p.allocations.size(); ++i) {
    store16(map + 4 + 2 * i, static_cast<std::uint16_t>(pos));
    std::copy(p.allocations[i].begin(), p.allocations[i].end(), out.begin() + static_cast<std::ptrdiff_t>(pos));
    pos += p.allocations[i].size();
  }
  store16(map + 4 + 2 * p.allocations.size(), static_cast<std::uint16_t>(pos));
  return out;
}

void HeapBuilder::writeTo(DataTreeWriter& out) const {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    out.append(pageBytes(i));
    out.endBlock();
  }
}

}  // namespace tarnwick::pst
