#include "tools/storegen/StreamSpace.h"

#include <algorithm>

#include "tools/storegen/StreamingFileLayout.h"

namespace tarnwick::storegen {

namespace {
// Noise bytes before a run in its first page and between runs of a shared page.
constexpr std::uint64_t kMaxLead = 512;
constexpr std::uint64_t kMaxGap = 48;
}  // namespace

StreamSpace::StreamSpace(std::uint32_t pageSize, Rng& rng)
    : pageSize_(pageSize), rng_(rng), nextPage_(stm::kHeaderPages) {}

std::uint64_t StreamSpace::takePages(std::uint64_t bytes) {
  const std::uint64_t start = nextPage_ * pageSize_;
  nextPage_ += std::max<std::uint64_t>(1, (bytes + pageSize_ - 1) / pageSize_);
  return start;
}

std::uint64_t StreamSpace::placeAlone(std::uint32_t length) {
  const std::uint64_t pages = std::max<std::uint64_t>(1, (length + pageSize_ - 1) / pageSize_);
  const std::uint64_t slack = pages * pageSize_ - length;
  const std::uint64_t lead = rng_.below(std::min(slack, kMaxLead) + 1);
  sharedCursor_ = 0;  // later runs go after this one
  return takePages(length) + lead;
}

std::uint64_t StreamSpace::placeShared(std::uint32_t length) {
  const std::uint64_t gap = 1 + rng_.below(kMaxGap);
  std::uint64_t at = 0;
  if (sharedCursor_ != 0 && sharedCursor_ + gap + length <= sharedEnd_) {
    at = sharedCursor_ + gap;
  } else {
    const std::uint64_t lead = rng_.below(kMaxGap);
    at = takePages(lead + length) + lead;
    sharedEnd_ = nextPage_ * pageSize_;
  }
  sharedCursor_ = at + length;
  if (sharedCursor_ + 1 >= sharedEnd_) sharedCursor_ = 0;  // no room left for even a gap
  return at;
}

std::uint64_t StreamSpace::end() const { return nextPage_ * pageSize_; }

}  // namespace tarnwick::storegen
