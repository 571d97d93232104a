#include "analysis/LongValuePageReader.h"

#include "store/BoundedBytes.h"
#include "store/RecordLocator.h"

#include <algorithm>
#include <optional>

namespace tarnwick::analysis {

namespace {

using Page = std::span<const std::uint8_t>;
using store::BoundedBytes;
using L = LongValuePageLayout;

// One record of the page: where it starts and its size.
struct PageRecord {
  std::uint32_t offset;
  std::uint32_t size;
};

std::vector<PageRecord> pageRecords(Page page, store::PageSizeClass pageSizeClass) {
  store::RecordSlotArray slots;
  const std::size_t count = store::locateRecords(page, pageSizeClass, slots);
  std::vector<PageRecord> records(count);
  for (std::size_t i = 0; i < count; ++i) {
    records[i] = {static_cast<std::uint32_t>(slots[i].offset), static_cast<std::uint16_t>(slots[i].size)};
  }
  return records;
}

// The page's first record: the one at the lowest position, just after the page header. Its
// tag is the last of the tag array (tag 0), which the slots list last; in the engine's
// pages it holds the key the page's nodes share (long-value id, chunk offset), from which
// readers take the bytes that nodes leave out.
std::optional<PageRecord> firstRecord(const std::vector<PageRecord>& records) {
  if (records.empty()) return std::nullopt;
  return *std::min_element(records.begin(), records.end(),
                           [](const PageRecord& a, const PageRecord& b) { return a.offset < b.offset; });
}

// The byte at `at` of the page's first record, or 0.
std::uint8_t firstRecordByte(const BoundedBytes& page, const std::vector<PageRecord>& records, std::size_t at) {
  const std::optional<PageRecord> first = firstRecord(records);
  if (!first || first->size <= at) return 0;
  return page.u8(first->offset + at);
}

// A key whose first byte is 0 takes byte 2 of the page's first record instead.
std::array<std::uint8_t, 2> repairedKey(const BoundedBytes& page, const std::vector<PageRecord>& records,
                                        std::uint8_t k0, std::uint8_t k1) {
  if (k0 == 0) {
    std::uint8_t repair = firstRecordByte(page, records, L::kKeyRepairByte);
    if (repair != 0) k0 = repair;
  }
  return {k0, k1};
}

void readSmall(const BoundedBytes& page, const std::vector<PageRecord>& records, std::vector<LongValueChunk>& out) {
  const std::uint32_t chunkSize = static_cast<std::uint32_t>(page.size()) - L::kSmallChunkOverhead;
  struct Root {
    std::array<std::uint8_t, 2> key;
    std::uint32_t chunkOffset;
  };
  std::vector<Root> roots;
  std::vector<bool> isChunk(records.size(), false);
  for (std::size_t r = records.size(); r-- > 0 && out.size() < L::kMaxChunks;) {
    const std::uint32_t m = records[r].offset;
    const std::uint32_t z = records[r].size;
    if (!page.has(m, 4)) continue;
    const bool separated = page.u32(m) == L::kSeparatedMarker;
    std::uint32_t t = 0;
    if (separated) {
      t = 4;
    } else if (m == L::kFirstRecordPosition && z == L::kRootMarkerSize && page.has(m + 4, 4) &&
               ((page.u8(m + 2) == 0 && page.u8(m + 3) == 0) || page.u32be(m + 4) % chunkSize == 0)) {
      t = 2;
    }
    for (std::uint32_t u = t; u <= 4; ++u) {
      if (!page.has(m + u, 6)) break;
      std::uint8_t k0 = page.u8(m + u);
      std::uint8_t k1 = page.u8(m + u + 1);
      std::uint32_t chunkOffset = page.u32be(m + u + 2);
      if ((k0 == 0 && k1 == 0) || chunkOffset % chunkSize != 0) continue;
      if (z < L::kRootRecordBelow) {
        if (roots.size() < L::kMaxRoots) roots.push_back({{k0, k1}, chunkOffset});
        break;
      }
      if (separated && chunkOffset == 0 && !roots.empty()) continue;
      std::uint32_t data = m + u + 6;
      for (std::size_t o = 0; o < records.size(); ++o) {
        if (o == r) continue;
        if (records[o].offset <= data && data < records[o].offset + records[o].size) {
          data = records[o].offset + L::kChunkDataAfterRecordStart;
          break;
        }
      }
      out.push_back({repairedKey(page, records, k0, k1), chunkOffset, data});
      isChunk[r] = true;
      break;
    }
  }
  if (roots.empty() || out.size() >= L::kMaxChunks) return;
  for (std::size_t r = 0; r < records.size(); ++r) {
    if (records[r].size > L::kLateChunkAbove && !isChunk[r]) {
      out.push_back({roots[0].key, roots[0].chunkOffset, records[r].offset + L::kChunkDataAfterRecordStart});
      return;
    }
  }
}

void readLarge(const BoundedBytes& page, const std::vector<PageRecord>& records, std::vector<LongValueChunk>& out) {
  // The walk starts at the highest record that names a key and a chunk offset.
  std::size_t start = records.size();
  std::array<std::uint8_t, 2> key{};
  std::uint32_t current = 0;
  for (std::size_t r = records.size(); r-- > 0 && start == records.size();) {
    for (std::uint32_t u = 0; u < 5 && u + 6 <= records[r].size; ++u) {
      std::size_t at = records[r].offset + u;
      if (!page.has(at, 6)) break;
      std::uint32_t chunkOffset = page.u32be(at + 2);
      if ((page.u8(at) != 0 || page.u8(at + 1) != 0) && chunkOffset % L::kLargeChunkSize == 0) {
        start = r;
        key = {page.u8(at), page.u8(at + 1)};
        current = chunkOffset;
        break;
      }
    }
  }
  if (start == records.size()) return;
  const std::uint8_t offsetRepair = firstRecordByte(page, records, L::kOffsetRepairByte);
  for (std::size_t r = start + 1; r-- > 0 && out.size() < L::kMaxChunks;) {
    const std::uint32_t m = records[r].offset;
    const std::uint32_t z = records[r].size;
    if (z < L::kLargeMinRecord || !page.has(m, z)) continue;
    if (page.u8(m) == 0 || page.u8(m + 1) == 0) continue;
    if (page.u8(m) == L::kLargeContinuation) {
      out.push_back({repairedKey(page, records, key[0], key[1]), current, m + L::kChunkDataAfterRecordStart});
      current += z - L::kChunkDataAfterRecordStart;
    } else if (page.u8(m) == L::kLargeKeyRecord && z < L::kLargeKeyRecordBelow) {
      key = {page.u8(m + 3), page.u8(m + 4)};
      current = 256u * (page.u8(m + 6) + 256u * page.u8(m + 7) + 65536u * page.u8(m + 8));
    } else {
      std::uint32_t index = page.u8(m + 2) >= L::kLargeFarDataMark ? L::kLargeFarDataIndex : page.u8(m + 2) + 4u;
      if (!page.has(m, index)) continue;
      std::uint8_t high = index <= L::kLargeFarDataIndex ? offsetRepair : page.u8(m + index - 3);
      std::uint32_t chunkOffset = (static_cast<std::uint32_t>(high) << 16) |
                                  (static_cast<std::uint32_t>(page.u8(m + index - 2)) << 8) | page.u8(m + index - 1);
      out.push_back({repairedKey(page, records, key[0], key[1]), chunkOffset, m + index});
      current = chunkOffset + z - index;
    }
  }
}

}  // namespace

std::vector<LongValueChunk> readLongValueChunks(std::span<const std::uint8_t> page,
                                                store::PageSizeClass pageSizeClass) {
  std::vector<LongValueChunk> out;
  if (page.size() <= L::kSmallChunkOverhead) return out;
  std::vector<PageRecord> records = pageRecords(page, pageSizeClass);
  if (store::isLargePage(pageSizeClass)) {
    readLarge(BoundedBytes(page), records, out);
  } else {
    readSmall(BoundedBytes(page), records, out);
  }
  return out;
}

}  // namespace tarnwick::analysis
