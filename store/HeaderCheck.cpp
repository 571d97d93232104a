#include "store/HeaderCheck.h"

#include "store/BoundedBytes.h"
#include "store/PageLayout.h"

#include <array>

namespace tarnwick::store {

std::uint32_t readHeaderPageSize(std::span<const std::uint8_t> header) {
  return BoundedBytes(header).u32(layout::kHeaderPageSizeOffset);
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
