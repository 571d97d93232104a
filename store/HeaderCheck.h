#pragma once

#include "platform/StoreFile.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>
#include <string>

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
  // When unsupported, what is wrong in words: an empty or short file, no ESE signature, or
  // the page size. Only the page size decides the outcome; a damaged header that still
  // gives a supported page size is read.
  std::string problem;
};

// The page size field of a database header; 0 when the bytes end before it.
std::uint32_t readHeaderPageSize(std::span<const std::uint8_t> header);

// What is wrong with a header whose page size is unsupported, in words for the user.
std::string describeUnsupportedHeader(std::span<const std::uint8_t> header, std::int64_t fileSize);

// The header check that opens every analysis: takes the file's length, reads the first 512
// bytes, decides the page size and its class and, for 8 KB and 32 KB stores, closes the
// streaming file (those stores are analysed without it). `streaming` may be null or
// closed. Read and length failures throw FileError naming the database file.
HeaderCheckResult checkStoreHeader(StoreFile& database, StoreFile* streaming);

}  // namespace tarnwick::store
