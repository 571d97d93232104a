#include "pst/messaging/NameIdMap.h"

#include <algorithm>

#include "codec/Crc32.h"
#include "pst/PstError.h"
#include "pst/messaging/PropTags.h"
#include "pst/messaging/StoreTemplate.h"
#include "pst/ndb/BlockSignature.h"
#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

namespace {
constexpr std::uint16_t kFirstStreamGuidIndex = 3;  // 1 = PS_MAPI, 2 = PS_PUBLIC_STRINGS
constexpr std::uint16_t kFirstNamedId = 0x8000;

std::uint32_t load32(std::span<const std::uint8_t> s, std::size_t at) {
  if (at + 4 > s.size()) throw PstError("named-property template truncated");
  return s[at] | (s[at + 1] << 8) | (s[at + 2] << 16) | (static_cast<std::uint32_t>(s[at + 3]) << 24);
}
}  // namespace

NameIdMap::NameIdMap() {
  auto guidStream = store_template::nameMapGuidStream();
  for (std::size_t at = 0; at + 16 <= guidStream.size(); at += 16) {
    Guid g{};
    std::copy_n(guidStream.begin() + static_cast<std::ptrdiff_t>(at), 16, g.begin());
    guids_.push_back(g);
  }
  auto strings = store_template::nameMapStringStream();
  strings_.assign(strings.begin(), strings.end());
  auto entries = store_template::nameMapEntryStream();
  for (std::size_t at = 0; at + 8 <= entries.size(); at += 8) {
    std::uint32_t idOrOffset = load32(entries, at);
    auto guidField = static_cast<std::uint16_t>(entries[at + 4] | (entries[at + 5] << 8));
    std::uint32_t hash = idOrOffset;
    if (guidField & 1) {
      std::uint32_t len = load32(strings_, idOrOffset);
      if (idOrOffset + 4 + len > strings_.size()) throw PstError("named-property template string out of range");
      std::span<const std::uint8_t> name(strings_.data() + idOrOffset + 4, len);
      hash = codec::crc32(name);
      std::string key(name.begin(), name.end());
      byName_[{static_cast<std::uint16_t>(guidField >> 1), key}] =
          static_cast<std::uint16_t>(kFirstNamedId + entries_.size());
    } else {
      byKey_[{static_cast<std::uint16_t>(guidField >> 1), false, idOrOffset}] =
          static_cast<std::uint16_t>(kFirstNamedId + entries_.size());
    }
    entries_.push_back(Entry{guidField, idOrOffset, hash});
  }
}

std::uint32_t NameIdMap::bucketOf(std::uint32_t idOrCrc, std::uint16_t guidField) {
  return (idOrCrc ^ guidField) % kBucketCount;
}

std::uint16_t NameIdMap::guidIndex(const Guid& guid) {
  if (guid == propset::kMapi) return 1;
  if (guid == propset::kPublicStrings) return 2;
  auto it = std::find(guids_.begin(), guids_.end(), guid);
  if (it != guids_.end()) return static_cast<std::uint16_t>(kFirstStreamGuidIndex + (it - guids_.begin()));
  guids_.push_back(guid);
  return static_cast<std::uint16_t>(kFirstStreamGuidIndex + guids_.size() - 1);
}

std::uint16_t NameIdMap::add(std::uint16_t guidField, std::uint32_t idOrOffset, std::uint32_t hashValue) {
  if (entries_.size() >= 0x7FFF) throw PstError("too many named properties in one store");
  entries_.push_back(Entry{guidField, idOrOffset, hashValue});
  return static_cast<std::uint16_t>(kFirstNamedId + entries_.size() - 1);
}

std::uint16_t NameIdMap::numeric(const Guid& guid, std::uint32_t lid) {
  std::uint16_t g = guidIndex(guid);
  auto key = std::make_tuple(g, false, lid);
  if (auto it = byKey_.find(key); it != byKey_.end()) return it->second;
  std::uint16_t id = add(static_cast<std::uint16_t>(g << 1), lid, lid);
  byKey_[key] = id;
  return id;
}

std::uint16_t NameIdMap::named(const Guid& guid, const std::string& nameUtf8) {
  std::uint16_t g = guidIndex(guid);
  auto utf16 = toUtf16le(nameUtf8);
  std::string key(utf16.begin(), utf16.end());
  if (auto it = byName_.find({g, key}); it != byName_.end()) return it->second;
  while (strings_.size() % 4 != 0) strings_.push_back(0);
  auto offset = static_cast<std::uint32_t>(strings_.size());
  std::uint8_t len[4];
  store32(len, static_cast<std::uint32_t>(utf16.size()));
  strings_.insert(strings_.end(), len, len + 4);
  strings_.insert(strings_.end(), utf16.begin(), utf16.end());
  std::uint16_t id = add(static_cast<std::uint16_t>((g << 1) | 1), offset, codec::crc32(utf16));
  byName_[{g, key}] = id;
  return id;
}

std::vector<Property> NameIdMap::properties() const {
  std::vector<Property> props;
  props.push_back(Property::int32(propid::kNameidBucketCount, kBucketCount));
  std::vector<std::uint8_t> guidBytes;
  for (const Guid& g : guids_) guidBytes.insert(guidBytes.end(), g.begin(), g.end());
  props.push_back(Property::binary(propid::kNameidStreamGuid, guidBytes));
  std::vector<ByteWriter> buckets(kBucketCount);
  ByteWriter entryStream;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    entryStream.u32(e.idOrOffset);
    entryStream.u16(e.guidField);
    entryStream.u16(static_cast<std::uint16_t>(i));
    ByteWriter& b = buckets[bucketOf(e.hashValue, e.guidField)];
    b.u32(e.hashValue);
    b.u16(e.guidField);
    b.u16(static_cast<std::uint16_t>(i));
  }
  props.push_back(Property::binary(propid::kNameidStreamEntry, entryStream.take()));
  props.push_back(Property::binary(propid::kNameidStreamString, strings_));
  for (std::uint32_t i = 0; i < kBucketCount; ++i)
    if (buckets[i].size() > 0)
      props.push_back(Property::binary(static_cast<std::uint16_t>(propid::kNameidBucketBase + i), buckets[i].take()));
  return props;
}

}  // namespace tarnwick::pst
