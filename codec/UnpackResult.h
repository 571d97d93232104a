#pragma once

#include <cstddef>

namespace tarnwick::codec {

// Outcome of unpacking a stored value into a caller's buffer: whether the value unpacked
// and how many bytes were written. On failure `count` still says how much of the output
// holds bytes written before the failure.
struct UnpackResult {
  bool ok = false;
  std::size_t count = 0;
};

}  // namespace tarnwick::codec
