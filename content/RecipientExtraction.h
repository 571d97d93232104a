#pragma once

#include "content/LongValueChunks.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::content {

// The recipients text of a message ("To :"), harvested from its recipient value: inline
// at `position` (when not 0) with `length` bytes, unpacked first when a 32 KB store
// compressed it; otherwise gathered from its long-value chunks. Addresses are separated
// by "," and each listed once. Unreadable or unpackable values give an empty text. Read
// failures of the database surface as FileError.
std::u16string extractRecipients(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                 std::span<const ChunkLocation> chunks, std::uint64_t position, std::uint16_t length);

}  // namespace tarnwick::content
