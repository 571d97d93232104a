#include "store/ByteSource.h"

#include "platform/StoreFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tarnwick::store {

std::size_t readZeroFilled(const ByteSource& source, std::int64_t offset, std::span<std::uint8_t> out) {
  std::size_t got = 0;
  if (offset >= 0) got = source.readAt(static_cast<std::uint64_t>(offset), out);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), std::uint8_t{0});
  return got;
}

std::uint64_t FileByteSource::length() const { return file_.GetLength(); }

std::size_t FileByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (out.empty() || offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return 0;
  }
  return file_.ReadAt(static_cast<std::int64_t>(offset), out.data(), out.size());
}

void FileByteSource::willRead(std::uint64_t offset, std::size_t length) const {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return;
  file_.AdviseWillRead(static_cast<std::int64_t>(offset), length);
}

std::size_t MemoryByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset >= bytes_.size()) return 0;
  std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - static_cast<std::size_t>(offset));
  std::memcpy(out.data(), bytes_.data() + offset, n);
  return n;
}

}  // namespace tarnwick::store
