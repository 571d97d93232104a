#pragma once

#include <cstdint>
#include <span>

namespace tarnwick::store {

// Readers of the few page header fields the store uses. Each takes the page's bytes and
// never reads outside them; a buffer too short for a field gives 0 (or "leaf").

// Object id of the table the page belongs to (offset 24).
std::uint32_t pageOwnerObjectId(std::span<const std::uint8_t> page);
// Number of 4-byte tags at the end of the page (offset 34).
std::uint16_t pageTagCount(std::span<const std::uint8_t> page);
// A branch page: low nibble of flag byte 36 is 0, 1, 4 or 5 and low nibble of flag byte
// 37 is exactly 8. Everything else (and a buffer too short to tell) is a leaf.
bool isBranchPage(std::span<const std::uint8_t> page);

}  // namespace tarnwick::store
