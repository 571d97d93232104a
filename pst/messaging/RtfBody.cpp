#include "pst/messaging/RtfBody.h"

#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

namespace {
constexpr std::uint32_t kCompTypeUncompressed = 0x414C454D; // "MELA"
constexpr std::uint32_t kHeaderAfterSize = 12;               // RAWSIZE, COMPTYPE, CRC
} // namespace

std::vector<std::uint8_t> makeCompressedRtf(std::string_view rtf) {
    // Stored in the uncompressed form of the compressed-RTF format until the LZFu
    // compressor of the content layer is available.
    ByteWriter w;
    w.u32(static_cast<std::uint32_t>(rtf.size() + kHeaderAfterSize));
    w.u32(static_cast<std::uint32_t>(rtf.size()));
    w.u32(kCompTypeUncompressed);
    w.u32(0);
    w.bytes(std::span(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size()));
    return w.take();
}

} // namespace tarnwick::pst
