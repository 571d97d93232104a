#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

/// Property types of the MAPI property model.
namespace proptype {
inline constexpr std::uint16_t kInt16 = 0x0002;
inline constexpr std::uint16_t kInt32 = 0x0003;
inline constexpr std::uint16_t kFloat = 0x0004;
inline constexpr std::uint16_t kDouble = 0x0005;
inline constexpr std::uint16_t kCurrency = 0x0006;
inline constexpr std::uint16_t kAppTime = 0x0007;
inline constexpr std::uint16_t kError = 0x000A;
inline constexpr std::uint16_t kBoolean = 0x000B;
inline constexpr std::uint16_t kInt64 = 0x0014;
inline constexpr std::uint16_t kString8 = 0x001E;
inline constexpr std::uint16_t kUnicode = 0x001F;
inline constexpr std::uint16_t kSysTime = 0x0040;
inline constexpr std::uint16_t kGuid = 0x0048;
inline constexpr std::uint16_t kBinary = 0x0102;
inline constexpr std::uint16_t kMultiInt32 = 0x1003;
inline constexpr std::uint16_t kMultiUnicode = 0x101F;
inline constexpr std::uint16_t kMultiBinary = 0x1102;

/// Size of a fixed-size value; 0 for variable-size types.
std::size_t fixedSize(std::uint16_t type);
}  // namespace proptype

/// One property value as it is stored: the raw little-endian bytes of its type. A value
/// too large for the heap may instead live in a subnode already written by the caller.
struct Property {
  std::uint16_t id = 0;
  std::uint16_t type = 0;
  std::vector<std::uint8_t> bytes;
  std::optional<Nid> subnode;

  std::uint32_t tag() const { return (static_cast<std::uint32_t>(id) << 16) | type; }

  static Property int32(std::uint16_t id, std::int32_t v);
  static Property boolean(std::uint16_t id, bool v);
  static Property int64(std::uint16_t id, std::int64_t v);
  static Property sysTime(std::uint16_t id, std::uint64_t fileTime);
  static Property doubleValue(std::uint16_t id, double v);
  /// A UTF-8 text stored as UTF-16LE.
  static Property unicode(std::uint16_t id, std::string_view utf8);
  static Property binary(std::uint16_t id, std::vector<std::uint8_t> bytes);
  static Property multiUnicode(std::uint16_t id, const std::vector<std::string>& values);
  static Property multiInt32(std::uint16_t id, const std::vector<std::int32_t>& values);
};

/// UTF-8 to UTF-16LE bytes (invalid sequences become U+FFFD).
std::vector<std::uint8_t> toUtf16le(std::string_view utf8);

}  // namespace tarnwick::pst
