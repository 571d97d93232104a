#include "content/ReadAhead.h"

#include <algorithm>
#include <utility>

namespace tarnwick::content {

namespace {
constexpr std::size_t kWindowBytes = 8u << 20;
constexpr std::size_t kMinWindowPages = 32;
}  // namespace

ReadAhead::ReadAhead(const store::ByteSource& source, std::size_t pageSize, std::vector<std::int64_t> offsets)
    : source_(source),
      pageSize_(pageSize),
      offsets_(std::move(offsets)),
      window_(std::max(kMinWindowPages, pageSize > 0 ? kWindowBytes / pageSize : kMinWindowPages)) {}

void ReadAhead::before(std::size_t index) {
  if (pageSize_ == 0) return;
  // The window holding `index` and the one after it are announced.
  const std::size_t wanted = index / window_ + 2;
  while (announced_ < wanted && announced_ * window_ < offsets_.size()) announce(announced_++);
}

void ReadAhead::announce(std::size_t window) {
  const std::size_t from = window * window_;
  const std::size_t to = std::min(offsets_.size(), from + window_);
  std::vector<std::int64_t> sorted(offsets_.begin() + static_cast<std::ptrdiff_t>(from),
                                   offsets_.begin() + static_cast<std::ptrdiff_t>(to));
  std::sort(sorted.begin(), sorted.end());
  // Neighbouring pages are announced as one range.
  const auto size = static_cast<std::int64_t>(pageSize_);
  for (std::size_t i = 0; i < sorted.size();) {
    if (sorted[i] < 0) {
      ++i;
      continue;
    }
    const std::int64_t start = sorted[i];
    std::int64_t end = start + size;
    for (++i; i < sorted.size() && sorted[i] <= end; ++i) end = std::max(end, sorted[i] + size);
    source_.willRead(static_cast<std::uint64_t>(start), static_cast<std::size_t>(end - start));
  }
}

}  // namespace tarnwick::content
