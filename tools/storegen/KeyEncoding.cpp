#include "tools/storegen/KeyEncoding.h"

#include <stdexcept>

namespace tarnwick::storegen {

using ese::ColumnType;

bool isKeyableType(ColumnType type) {
  switch (type) {
    case ColumnType::Bit:
    case ColumnType::UnsignedByte:
    case ColumnType::Short:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::UnsignedLong:
    case ColumnType::LongLong:
    case ColumnType::UnsignedShort:
    case ColumnType::DateTime: return true;
    default: return false;
  }
}

void appendKeySegment(Bytes& key, ColumnType type, std::span<const std::uint8_t> value) {
  key.push_back(kKeyPresentMarker);
  bool flipSign = false;
  switch (type) {
    case ColumnType::Short:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::LongLong:
    case ColumnType::DateTime: flipSign = true; break;
    default:
      if (!isKeyableType(type)) throw std::invalid_argument("column type cannot be a key here");
  }
  for (std::size_t i = value.size(); i-- > 0;) {
    std::uint8_t b = value[i];
    if (flipSign && i + 1 == value.size()) b ^= 0x80;
    key.push_back(b);
  }
}

void appendLongKeySegment(Bytes& key, std::int32_t value) {
  Bytes le;
  append32(le, static_cast<std::uint32_t>(value));
  appendKeySegment(key, ColumnType::Long, le);
}

void appendShortKeySegment(Bytes& key, std::int16_t value) {
  Bytes le;
  append16(le, static_cast<std::uint16_t>(value));
  appendKeySegment(key, ColumnType::Short, le);
}

}  // namespace tarnwick::storegen
