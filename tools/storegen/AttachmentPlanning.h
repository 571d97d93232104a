#pragma once

// The attachments of planned messages: identifiers, file names (some awkward on purpose) and
// data, inline or as long values.

#include <cstdint>

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Attachment rows of 4 KB / 8 KB stores are keyed by a number whose four little-endian bytes
// the identifier holds twice. None of its bytes is 0, 1 or 0x18: readers look for 1 bytes and
// zero runs around an identifier. The number's high byte is this one or one of the fifteen
// after it, so that identifiers are positive as 64-bit numbers.
inline constexpr std::uint32_t kAttachmentRowKeyHighByte = 0x50;
std::uint64_t attachmentIdentifier(std::uint32_t rowKey);
std::uint32_t attachmentRowKey(std::uint64_t identifier);

// Adds attachments to some messages of `plan` (mail and appointments).
void planAttachments(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
