#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::codec {

// Compression type named in a compressed RTF stream's header.
enum class RtfStreamKind {
  Compressed,    // "LZFu"
  Uncompressed,  // "MELA": the contents are the RTF as it is
  Unknown,       // anything else; decoded as "LZFu"
};

// RTF text taken out of a compressed RTF stream.
struct DecompressedRtf {
  std::string rtf;  // the RTF bytes (std::string keeps a NUL after them)
  RtfStreamKind kind = RtfStreamKind::Compressed;
  bool crcMatches = false;      // the header's CRC agrees with the contents ("MELA": it is 0)
  bool complete = false;        // all raw-size bytes were decoded
  std::size_t bracesAdded = 0;  // closing braces added because the stream ended early
};

// Decodes a whole compressed RTF stream (header included) to the raw size its header
// declares. Nothing when the stream is shorter than its header or its compressed-size
// field is larger than the stream. A stream that ends before its raw size (damaged or cut
// short) yields what it held (less a lone backslash at the cut) plus as many closing braces
// as its open groups need. The
// CRC is checked and reported, never a reason to refuse. Reads nothing outside `stream`.
std::optional<DecompressedRtf> decompressRtf(std::span<const std::uint8_t> stream);

}  // namespace tarnwick::codec
