#pragma once

#include <array>
#include <compare>
#include <cstdint>

namespace tarnwick {

// A time as the model keeps it: the upper 48 bits of a Windows FILETIME (100 ns ticks
// since 1601-01-01 UTC), low byte first; the FILETIME's two low bytes are dropped.
struct ModelTime {
  std::array<std::uint8_t, 6> bytes{};

  auto operator<=>(const ModelTime&) const = default;
  bool isZero() const {
    for (auto b : bytes)
      if (b != 0) return false;
    return true;
  }
};

}  // namespace tarnwick
