// 7-bit packed text: both unpackers on arbitrary bytes, and packing that unpacks back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codec/SevenBitText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::span<const std::uint8_t> input(data, size);

  // Room as the callers give it, and one byte less.
  const std::size_t room = size == 0 ? 1 : (size - 1) * 8 / 7;
  std::vector<std::uint8_t> out(room + 1);
  const codec::UnpackResult r = codec::decode7Bit(input, std::span<std::uint8_t>(out).first(room));
  if (r.count > room) std::abort();
  if (room > 0 && codec::decode7Bit(input, std::span<std::uint8_t>(out).first(room - 1)).count > 0 && size > 1)
    std::abort();

  const auto unpacked = codec::unpack7BitText(input);

  std::vector<std::uint8_t> ascii(input.begin(), input.end());
  for (auto& b : ascii) b &= 0x7F;
  const auto packed = codec::encode7Bit(ascii, codec::SevenBitKind::Ascii);
  if (!packed || codec::unpack7BitText(*packed) != ascii) std::abort();
  (void)unpacked;
  return 0;
}
