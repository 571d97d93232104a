#pragma once

#include "store/PageSizeClass.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::analysis {

// Fixed distances of long-value pages.
struct LongValuePageLayout {
  static constexpr std::uint32_t kSmallChunkOverhead = 82;  // chunk size = page size - 82
  static constexpr std::uint32_t kLargeChunkSize = 8150;
  static constexpr std::size_t kMaxChunks = 200;
  static constexpr std::size_t kMaxRoots = 200;
  static constexpr std::uint32_t kSeparatedMarker = 8;       // u32 at a record start
  static constexpr std::uint32_t kFirstRecordPosition = 40;  // 4 KB / 8 KB pages
  static constexpr std::uint32_t kRootRecordBelow = 20;
  static constexpr std::uint32_t kRootMarkerSize = 8;
  static constexpr std::uint32_t kLateChunkAbove = 50;
  static constexpr std::uint32_t kChunkDataAfterRecordStart = 4;
  static constexpr std::size_t kKeyRepairByte = 2;     // of the page's first record
  static constexpr std::size_t kOffsetRepairByte = 5;  // of the page's first record
  // 32 KB pages.
  static constexpr std::uint32_t kLargeMinRecord = 13;
  static constexpr std::uint8_t kLargeContinuation = 8;
  static constexpr std::uint8_t kLargeKeyRecord = 3;
  static constexpr std::uint32_t kLargeKeyRecordBelow = 40;
  static constexpr std::uint8_t kLargeFarDataMark = 100;
  static constexpr std::uint32_t kLargeFarDataIndex = 6;
};

// One stored chunk of a long value found in a page: the value's 2-byte key, the chunk's
// byte offset within the value and where its data starts in the page.
struct LongValueChunk {
  std::array<std::uint8_t, 2> key{};
  std::uint32_t chunkOffset = 0;
  std::uint32_t dataPosition = 0;
};

// The data chunks of a long-value page (at most 200). Root records name values but hold no
// data and are not listed. Reads stay inside `page`.
std::vector<LongValueChunk> readLongValueChunks(std::span<const std::uint8_t> page, store::PageSizeClass pageSizeClass);

}  // namespace tarnwick::analysis
