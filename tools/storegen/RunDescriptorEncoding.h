#pragma once

// Run descriptors of streamed messages: made from the runs the planner chose, and read back
// by the writer of the streaming file, which puts each run's bytes where its descriptor says.

#include <cstdint>
#include <span>
#include <vector>

#include "tools/storegen/Bytes.h"

namespace tarnwick::storegen {

// One run of a message's content: `length` bytes from `contentOffset` of the content, lying
// at `streamOffset` of the streaming file.
struct StreamRun {
  std::uint32_t contentOffset = 0;
  std::uint32_t length = 0;
  std::uint64_t streamOffset = 0;
};

// The descriptor of a content of `total` bytes cut into `runs`, given in content order and
// covering it without gaps. Throws std::invalid_argument otherwise.
Bytes encodeRunDescriptor(std::uint32_t total, std::span<const StreamRun> runs);

// The runs a descriptor names, in content order. Throws std::invalid_argument when the
// bytes are too short for the runs they announce or the runs do not add up to the total.
std::vector<StreamRun> decodeRunDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace tarnwick::storegen
