#pragma once

#include "platform/StoreFile.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>

namespace tarnwick::store {

enum class HeaderCheckOutcome {
  Supported,            // page size 4096, 8192 or 32768: the analysis may go on
  UnsupportedPageSize,  // anything else: kCorruptedFileMessage, the analysis ends
};

struct HeaderCheckResult {
  HeaderCheckOutcome outcome = HeaderCheckOutcome::UnsupportedPageSize;
  std::uint32_t headerPageSize = 0;  // the value found at offset 236 (0 when the file is shorter)
  StoreGeometry geometry;            // the page-size state for the rest of the run
  bool streamingFileClosed = false;  // the streaming file was closed (8 KB and 32 KB stores)
};

// The page size field of a database header; 0 when the bytes end before it.
std::uint32_t readHeaderPageSize(std::span<const std::uint8_t> header);

// The header check that opens every analysis: takes the file's length, reads the first 512
// bytes, decides the page size and its class and, for 8 KB and 32 KB stores, closes the
// streaming file (those stores are analysed without it). `streaming` may be null or
// closed. Read and length failures throw FileError naming the database file.
HeaderCheckResult checkStoreHeader(StoreFile& database, StoreFile* streaming);

}  // namespace tarnwick::store
