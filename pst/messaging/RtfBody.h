#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick::pst {

/// The PR_RTF_COMPRESSED value of an RTF text.
std::vector<std::uint8_t> makeCompressedRtf(std::string_view rtf);

}  // namespace tarnwick::pst
