#include "store/PageReader.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::store {

std::span<const std::uint8_t> readPage(const StoreFile& file, const StoreGeometry& geometry, FileOffset offset,
                                       std::size_t length, std::vector<std::uint8_t>& buffer) {
  if (!geometry.supported() || offset.value < 0 || offset.value >= geometry.FileSize) return {};
  const auto pageSize = static_cast<std::size_t>(geometry.PageSize);
  buffer.resize(pageSize);
  const auto inFile = static_cast<std::size_t>(std::min<std::int64_t>(geometry.FileSize - offset.value, pageSize));
  const std::size_t wanted = std::min({length, pageSize, inFile});
  const std::size_t got = file.ReadAt(offset.value, buffer.data(), wanted);
  std::memset(buffer.data() + got, 0, pageSize - got);
  return buffer;
}

}  // namespace tarnwick::store
