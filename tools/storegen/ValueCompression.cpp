#include "tools/storegen/ValueCompression.h"

namespace tarnwick::storegen {

// The LZ77 (Xpress) and 7-bit encoders come with the core library's content decoders;
// until they are there, values are stored uncompressed.
bool valueCompressionAvailable() { return false; }

std::optional<Bytes> compressValue(std::span<const std::uint8_t> /*value*/) { return std::nullopt; }

}  // namespace tarnwick::storegen
