#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "pst/ltp/Property.h"

namespace tarnwick::pst {

/// One attachment by value: its properties and its bytes, given in memory or as a file
/// that is streamed into the store block by block.
struct AttachmentData {
  std::vector<Property> properties;
  std::vector<std::uint8_t> bytes;
  std::optional<std::filesystem::path> sourceFile;
};

/// Everything one message consists of before it is written.
struct MessageData {
  std::vector<Property> properties;
  std::vector<std::vector<Property>> recipients;
  std::vector<AttachmentData> attachments;
};

}  // namespace tarnwick::pst
