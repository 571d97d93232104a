#pragma once

// `--fill`: grows a store to about a given size with real messages (header rows, message
// records and long-value bodies) in one large folder, the first mailbox's Inbox, so that
// benchmarks have a big folder to scan, list and export. All of them share one body, held
// once in memory.

#include <cstdint>

#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Appends to `plan` as many messages as make the store about `targetBytes` long.
void addFillMessages(StorePlan& plan, std::uint64_t targetBytes);

// Bytes one fill message adds to a store of `format` (its body's long-value pages and a
// share of its rows).
std::uint64_t fillMessageBytes(StoreFormat format);

}  // namespace tarnwick::storegen
