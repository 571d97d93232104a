#include "pst/messaging/RtfBody.h"

#include "codec/RtfCompressor.h"

namespace tarnwick::pst {

std::vector<std::uint8_t> makeCompressedRtf(std::string_view rtf) { return codec::compressRtf(rtf); }

}  // namespace tarnwick::pst
