#pragma once

// The database file header (and the streaming file's header): signature, format version
// and revision of the store's era, state "clean shutdown", page size, times and
// signatures, and the XOR checksum.

#include <cstdint>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

struct HeaderFields {
  std::uint32_t fileType = 0;  // 0 database, 1 streaming file
  std::uint32_t lastObjectId = 0;
  std::uint32_t randomSignature = 0;  // the random part of the database signature
  std::uint64_t databaseTime = 0;
};

// One page-sized header block with its checksum.
Bytes buildHeaderPage(const FormatTraits& traits, const HeaderFields& fields);

}  // namespace tarnwick::storegen
