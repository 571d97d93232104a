#pragma once

// Writes the streaming file of a 4 KB store: the header page and its shadow copy, then the
// pages that hold the runs of every streamed message, each run's bytes where the message's
// run descriptor puts them and noise in every byte around them, so that a reader that reads
// past a run, or a wrong run, gives bytes that are plainly not the message.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/storegen/Rng.h"
#include "tools/storegen/StoreFormat.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Returns the file's size. Throws std::logic_error when descriptors overlap or reach into
// the header pages, std::runtime_error when the file cannot be written.
std::uint64_t writeStreamingFile(const std::string& path, const FormatTraits& traits,
                                 std::span<const std::uint8_t> headerPage, const std::vector<MessagePlan>& messages,
                                 Rng& noise);

}  // namespace tarnwick::storegen
