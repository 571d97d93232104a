#include "analysis/PageSource.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::analysis {

std::size_t FilePageSource::readAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  std::size_t got = 0;
  if (offset >= 0) got = file_.ReadAt(offset, out.data(), out.size());
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), std::uint8_t{0});
  return got;
}

std::size_t MemoryPageSource::readAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  std::size_t got = 0;
  if (offset >= 0 && static_cast<std::uint64_t>(offset) < bytes_.size()) {
    got = std::min(out.size(), bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(out.data(), bytes_.data() + offset, got);
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), std::uint8_t{0});
  return got;
}

}  // namespace tarnwick::analysis
