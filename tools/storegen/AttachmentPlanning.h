#pragma once

// The attachments of planned messages: identifiers, file names (some awkward on purpose) and
// data, inline or as long values.

#include <cstdint>

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Attachment rows are keyed by a number whose four little-endian bytes the identifier holds
// twice: a reader of 32 KB pages looks for the identifier 4 or 8 bytes into the record,
// depending on how the node stores its key, and finds it at both. Keys start with this high
// byte (and the fifteen after it), above the document ids of message rows.
inline constexpr std::uint32_t kAttachmentRowKeyHighByte = 0x50;
std::uint64_t attachmentIdentifier(std::uint32_t rowKey);
std::uint32_t attachmentRowKey(std::uint64_t identifier);

// Adds attachments to some messages of `plan` (mail and appointments).
void planAttachments(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
