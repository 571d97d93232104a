// Sizes of MAPI property types as the LTP layer stores them.
#pragma once

#include <cstdint>
#include <optional>

namespace tarnwick::pstcheck {

inline constexpr std::uint16_t kPtUnicode = 0x001F;
inline constexpr std::uint16_t kPtString8 = 0x001E;
inline constexpr std::uint16_t kPtBinary = 0x0102;
inline constexpr std::uint16_t kPtObject = 0x000D;
inline constexpr std::uint16_t kPtBoolean = 0x000B;
inline constexpr std::uint16_t kPtLong = 0x0003;
inline constexpr std::uint16_t kMultiValued = 0x1000;

/// Size of one value of a fixed-size type; 0 for variable-size types; nothing for unknown types.
inline std::optional<unsigned> fixedSize(std::uint16_t type) {
  switch (type) {
    case 0x0002: return 2u;
    case 0x0003:
    case 0x0004:
    case 0x000A: return 4u;
    case 0x000B: return 1u;
    case 0x0005:
    case 0x0006:
    case 0x0007:
    case 0x0014:
    case 0x0040: return 8u;
    case 0x0048: return 16u;
    case 0x001E:
    case 0x001F:
    case 0x0102:
    case 0x000D:
    case 0x00FB:
    case 0x00FD:
    case 0x00FE: return 0u;
    case 0x1002:
    case 0x1003:
    case 0x1004:
    case 0x1005:
    case 0x1006:
    case 0x1007:
    case 0x1014:
    case 0x1040:
    case 0x1048:
    case 0x101E:
    case 0x101F:
    case 0x1102: return 0u;
    default: return std::nullopt;
  }
}

/// Element size of a fixed-size multi-valued type, 0 for variable elements.
inline unsigned multiElementSize(std::uint16_t type) {
  switch (type) {
    case 0x1002: return 2;
    case 0x1003:
    case 0x1004: return 4;
    case 0x1005:
    case 0x1006:
    case 0x1007:
    case 0x1014:
    case 0x1040: return 8;
    case 0x1048: return 16;
    default: return 0;
  }
}

/// Whether a property context keeps the value in dwValueHnid itself.
inline bool storedInline(std::uint16_t type) {
  auto s = fixedSize(type);
  return s && *s > 0 && *s <= 4;
}

}  // namespace tarnwick::pstcheck
