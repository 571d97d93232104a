#pragma once

// Normalised keys as the engine builds them from column values: a 0x7F marker, then the
// value big-endian with the sign bit flipped for signed types, so that keys sort as bytes.

#include <cstdint>
#include <span>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/EseLayout.h"

namespace tarnwick::storegen {

inline constexpr std::uint8_t kKeyPresentMarker = 0x7F;

void appendKeySegment(Bytes& key, ese::ColumnType type, std::span<const std::uint8_t> littleEndianValue);
void appendLongKeySegment(Bytes& key, std::int32_t value);
void appendShortKeySegment(Bytes& key, std::int16_t value);
// Whether values of `type` can form a key segment here.
bool isKeyableType(ese::ColumnType type);

}  // namespace tarnwick::storegen
