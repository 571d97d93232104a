#include "analysis/ScanContext.h"

#include <algorithm>

namespace tarnwick::analysis {

void ScanContext::readPage(std::int64_t offset, std::size_t length, std::vector<std::uint8_t>& buffer) const {
  buffer.resize(pageSize());
  length = std::min(length, buffer.size());
  store::readZeroFilled(source, offset, std::span<std::uint8_t>(buffer.data(), length));
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(length), buffer.end(), std::uint8_t{0});
}

std::size_t ScanContext::stepReadLength(std::int64_t offset) const {
  const std::int64_t left = geometry.FileSize - offset;
  if (left <= 0) return 0;
  return static_cast<std::size_t>(std::min<std::int64_t>(left, geometry.PageSize));
}

}  // namespace tarnwick::analysis
