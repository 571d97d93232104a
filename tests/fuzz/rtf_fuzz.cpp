// Compressed RTF: the decoder on arbitrary bytes (never outside the stream), and the
// encoder's streams decoding back to the text they were made from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "codec/RtfCompressor.h"
#include "codec/RtfDecompressor.h"
#include "codec/RtfGroupDepth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::span<const std::uint8_t> input(data, size);

  if (const auto r = codec::decompressRtf(input)) {
    if (!r->complete && codec::openRtfGroups(r->rtf) != 0 && !codec::scanRtfGroups(r->rtf).danglingBackslash) {
      // Braces were added for every group left open, unless binary data swallowed them.
      if (r->rtf.find("\\bin") == std::string::npos) std::abort();
    }
  }

  const auto packed = codec::compressRtf(input);
  const auto back = codec::decompressRtf(packed);
  if (!back || !back->complete || !back->crcMatches ||
      back->rtf != std::string(reinterpret_cast<const char*>(data), size)) {
    std::abort();
  }
  return 0;
}
