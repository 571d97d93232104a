#pragma once

#include "platform/StoreFile.h"
#include "store/StoreGeometry.h"
#include "store/StoreOffsets.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::store {

// Reads the page at `offset` into `buffer`, which is kept at PageSize bytes and reused
// from page to page. At most `length` bytes are read (PageReadLength in step 1, PageSize
// otherwise) and never past the end of the file; every byte of the buffer that was not
// read is zero, so nothing of the previous page can pass for this one. Returns the whole
// page buffer; an offset outside the file gives an empty span without reading. Read
// failures throw FileError naming the file.
std::span<const std::uint8_t> readPage(const StoreFile& file, const StoreGeometry& geometry, FileOffset offset,
                                       std::size_t length, std::vector<std::uint8_t>& buffer);

}  // namespace tarnwick::store
