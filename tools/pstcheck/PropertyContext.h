// PC: a property context, the property bag of folders, messages and attachments.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/LtpNode.h"

namespace tarnwick::pstcheck {

struct PropValue {
  std::uint16_t type = 0;
  std::vector<std::uint8_t> bytes;  ///< the value as stored (inline values: their own size)
};

using PropertyBag = std::map<std::uint16_t, PropValue>;

/// Checks the PC of an opened node and returns its properties by id.
std::optional<PropertyBag> readPropertyContext(const LtpNode& node, const std::string& where, Report& report);

/// Checks one value's bytes against its type (sizes, string and multi-value layout).
bool checkValueShape(std::uint16_t type, const std::vector<std::uint8_t>& bytes, const std::string& where,
                     Report& report, Area area);

}  // namespace tarnwick::pstcheck
