// Compressed RTF: the decoder on arbitrary bytes (never outside the stream), and the
// encoder's streams decoding back to the text they were made from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "content/RtfCompressor.h"
#include "content/RtfDecompressor.h"
#include "content/RtfGroupDepth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick::content;
  const std::span<const std::uint8_t> input(data, size);

  if (const auto r = DecompressRtf(input)) {
    if (!r->complete && openRtfGroups(r->rtf) != 0 && !scanRtfGroups(r->rtf).danglingBackslash) {
      // Braces were added for every group left open, unless binary data swallowed them.
      if (r->rtf.find("\\bin") == std::string::npos) std::abort();
    }
  }

  const auto packed = CompressRtf(input);
  const auto back = DecompressRtf(packed);
  if (!back || !back->complete || !back->crcMatches ||
      back->rtf != std::string(reinterpret_cast<const char*>(data), size)) {
    std::abort();
  }
  return 0;
}
