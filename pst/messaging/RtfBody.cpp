#include "pst/messaging/RtfBody.h"

#include "content/RtfCompressor.h"

namespace tarnwick::pst {

std::vector<std::uint8_t> makeCompressedRtf(std::string_view rtf) { return content::CompressRtf(rtf); }

} // namespace tarnwick::pst
