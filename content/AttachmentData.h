#pragma once

#include "analysis/AttachmentItems.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace tarnwick::content {

// The data of an attachment: inline after its format byte, or assembled from its
// long-value chunks (each at its own offset; 32 KB stores unpack packed chunks). Nothing
// when the attachment has no data or its chunks were not found. `workingFile` is used and
// removed as for bodies.
std::optional<std::vector<std::uint8_t>> readAttachmentData(const store::ByteSource& database,
                                                            const store::StoreGeometry& geometry,
                                                            const analysis::AttachmentItem& attachment,
                                                            const std::filesystem::path& workingFile);

}  // namespace tarnwick::content
