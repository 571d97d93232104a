#pragma once

#include "platform/StoreFile.h"
#include "store/PageLayout.h"
#include "store/PageSizeClass.h"
#include "store/StoreGeometry.h"
#include "store/StoreOffsets.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::store {

// One located record of a page.
struct RecordSlot {
  std::int32_t offset = 0;  // from the start of the page, header length included
  std::int16_t size = 0;    // record length in bytes
};

using RecordSlotArray = std::array<RecordSlot, layout::kMaxRecordSlots>;

// Locates the records of a leaf page already in memory. `page` is the whole page buffer
// (PageSize bytes); the tag array is its last tag count x 4 bytes. Tags are visited from
// the lowest address upwards; a tag whose masked size is 0 is skipped, and so is a record
// that would not lie wholly inside the page. At most min(slots.size(), 800) slots are
// filled. Branch pages, unsupported classes and buffers too short for a header give 0.
// Returns the number of slots filled.
std::size_t locateRecords(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass, std::span<RecordSlot> slots);

// Reads the page at `offset` (PageSize bytes, zero-filled past the end of the file) into
// `scratch` and locates its records as above. An offset that is negative or not below
// FileSize gives 0 without reading. Read failures throw FileError.
std::size_t locateRecords(const StoreFile& file, const StoreGeometry& geometry, FileOffset offset,
                          std::span<RecordSlot> slots, std::vector<std::uint8_t>& scratch);

// The bytes of one located record, or an empty span when the slot does not lie in `page`.
std::span<const std::uint8_t> recordBytes(std::span<const std::uint8_t> page, RecordSlot slot);

}  // namespace tarnwick::store
