#include "store/HeaderCheck.h"

#include "store/BoundedBytes.h"
#include "store/PageLayout.h"

#include <array>

namespace tarnwick::store {

std::uint32_t readHeaderPageSize(std::span<const std::uint8_t> header) {
  return BoundedBytes(header).u32(layout::kHeaderPageSizeOffset);
}

std::string describeUnsupportedHeader(std::span<const std::uint8_t> header, std::int64_t fileSize) {
  const BoundedBytes bytes(header);
  if (fileSize == 0) return "the file is empty";
  if (!bytes.has(layout::kHeaderPageSizeOffset, 4)) {
    return "the file is too short to be a database (" + std::to_string(fileSize) + " bytes)";
  }
  if (bytes.u32(layout::kHeaderSignatureOffset) != layout::kHeaderSignature) {
    return "it is not an ESE database (its header has no database signature)";
  }
  const std::uint32_t pageSize = bytes.u32(layout::kHeaderPageSizeOffset);
  if (pageSize == 16384) return "16 KB pages: not an Exchange mailbox store format this program reads";
  return "its header gives a page size of " + std::to_string(pageSize) + " bytes; 4096, 8192 and 32768 are supported";
}

HeaderCheckResult checkStoreHeader(StoreFile& database, StoreFile* streaming) {
  HeaderCheckResult result;
  const auto fileSize = static_cast<std::int64_t>(database.GetLength());
  // Zeroed first: a file shorter than the header leaves the rest of the buffer zero, so
  // its page size reads as 0 (unsupported) rather than as leftover memory.
  std::array<std::uint8_t, layout::kDatabaseHeaderLength> header{};
  database.Seek(0);
  const std::size_t got = database.Read(header.data(), static_cast<std::uint32_t>(header.size()));
  result.headerPageSize = readHeaderPageSize(std::span<const std::uint8_t>(header.data(), got));
  result.geometry = makeStoreGeometry(result.headerPageSize, fileSize);
  if (!result.geometry.supported()) {
    result.outcome = HeaderCheckOutcome::UnsupportedPageSize;
    result.problem = describeUnsupportedHeader(std::span<const std::uint8_t>(header.data(), got), fileSize);
    return result;
  }
  result.outcome = HeaderCheckOutcome::Supported;
  if (result.geometry.PageSizeClass != PageSizeClass::Page4K && streaming != nullptr && streaming->IsOpen()) {
    streaming->Close();
    result.streamingFileClosed = true;
  }
  return result;
}

}  // namespace tarnwick::store
