#pragma once

// Hands out places in the streaming file for the runs of streamed messages. A run either
// takes pages of its own (no other run shares them) or is packed into a shared page after
// the runs placed there before it, a few bytes of gap between them. Each place lies after
// every place handed out before it, so no two overlap.

#include <cstdint>

#include "tools/storegen/Rng.h"

namespace tarnwick::storegen {

class StreamSpace {
 public:
  StreamSpace(std::uint32_t pageSize, Rng& rng);

  // The file offset of `length` bytes on pages of their own.
  std::uint64_t placeAlone(std::uint32_t length);
  // The file offset of `length` bytes packed into the current shared page, or starting a
  // new one (running on over further pages when it is long).
  std::uint64_t placeShared(std::uint32_t length);
  // The end of the last page handed out.
  std::uint64_t end() const;

 private:
  std::uint64_t takePages(std::uint64_t bytes);

  std::uint32_t pageSize_;
  Rng& rng_;
  std::uint64_t nextPage_;          // index of the first page not handed out (page 0 at offset 0)
  std::uint64_t sharedCursor_ = 0;  // first free byte of the shared page; 0 when none is open
  std::uint64_t sharedEnd_ = 0;
};

}  // namespace tarnwick::storegen
