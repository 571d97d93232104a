// BTH: the B-tree-on-heap under property contexts and table row indexes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/Heap.h"

namespace tarnwick::pstcheck {

struct BthRecord {
  Bytes key;
  Bytes data;
};

/// Reads the BTH whose header is at `header`: checks its key and entry sizes,
/// levels, sort order and first keys, and returns the leaf records in key order.
std::optional<std::vector<BthRecord>> readBth(const Heap& heap, Hid header, unsigned cbKey, unsigned cbEnt,
                                              const std::string& where, Report& report);

}  // namespace tarnwick::pstcheck
