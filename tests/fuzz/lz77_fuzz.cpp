// Plain LZ77 values: the decoder on arbitrary bytes (never outside its buffers), and the
// encoder's output unpacking back to the bytes it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codec/Lz77Decoder.h"
#include "codec/Lz77Encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::span<const std::uint8_t> input(data, size);

  // Capacity taken from the first byte so that both short and roomy outputs are tried.
  const std::size_t capacity = size == 0 ? 0 : (static_cast<std::size_t>(data[0]) << 6) + 1;
  std::vector<std::uint8_t> out(capacity);
  const codec::UnpackResult r = codec::decodeLz77(input, out);
  if (r.count > capacity) std::abort();

  if (size <= 0xFFFF) {
    const auto packed = codec::encodeLz77(input);
    if (!packed) std::abort();
    std::vector<std::uint8_t> back(size + 1);
    const codec::UnpackResult rt = codec::decodeLz77(*packed, back);
    if (!rt.ok || rt.count != size || !std::equal(data, data + size, back.begin())) std::abort();
  }
  return 0;
}
