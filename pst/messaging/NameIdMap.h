#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "pst/ltp/Property.h"

namespace tarnwick::pst {

/// A property set GUID in its on-disk byte order.
using Guid = std::array<std::uint8_t, 16>;

namespace propset {
inline constexpr Guid kMapi = {0x28, 0x03, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kPublicStrings = {0x29, 0x03, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kAppointment = {0x02, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kTask = {0x03, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kAddress = {0x04, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kCommon = {0x08, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kLog = {0x0A, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr Guid kNote = {0x0E, 0x20, 0x06, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
}  // namespace propset

/// The store's name-to-id map: named properties get ids from 0x8000 on in the order they
/// are first used. It starts with the entries of a new Outlook store and is written as the
/// GUID, entry and string streams plus the 251 hash buckets.
class NameIdMap {
 public:
  NameIdMap();
  std::uint16_t numeric(const Guid& guid, std::uint32_t lid);
  std::uint16_t named(const Guid& guid, const std::string& name);
  std::size_t size() const { return entries_.size(); }
  /// The properties of the map's node.
  std::vector<Property> properties() const;

  static constexpr std::uint32_t kBucketCount = 251;
  /// Bucket of an entry: (id or name CRC) xor the entry's GUID/kind field, modulo 251.
  static std::uint32_t bucketOf(std::uint32_t idOrCrc, std::uint16_t guidField);

 private:
  struct Entry {
    std::uint16_t guidField;  // guid index << 1 | string flag
    std::uint32_t idOrOffset;
    std::uint32_t hashValue;  // numeric id or CRC of the UTF-16 name
  };
  std::uint16_t guidIndex(const Guid& guid);
  std::uint16_t add(std::uint16_t guidField, std::uint32_t idOrOffset, std::uint32_t hashValue);

  std::vector<Guid> guids_;
  std::vector<Entry> entries_;
  std::vector<std::uint8_t> strings_;
  std::map<std::tuple<std::uint16_t, bool, std::uint32_t>, std::uint16_t> byKey_;
  std::map<std::pair<std::uint16_t, std::string>, std::uint16_t> byName_;
};

}  // namespace tarnwick::pst
