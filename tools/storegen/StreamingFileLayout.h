#pragma once

// The streaming file (.stm) of a 4 KB store and the run descriptor that the message record
// keeps for a message whose Internet form lies in it.
//
// The streaming file starts with a header page and its shadow copy, as the database does;
// the pages after them hold message content. A message's content lies there in runs, pieces
// of any length at any byte offset, in any order. The run descriptor says where: the total
// content length and, per run in content order, the content byte count up to its end and
// the byte offset of its start in the streaming file (little-endian throughout).

#include <cstddef>
#include <cstdint>

namespace tarnwick::storegen::stm {

// Header page and shadow copy before the first content page.
inline constexpr std::uint32_t kHeaderPages = 2;

// Distances from the descriptor's first byte. An inline descriptor follows the value's
// flags byte; one stored as a long value starts the value.
inline constexpr std::size_t kTotalLength = 0;        // u32: content bytes
inline constexpr std::size_t kRunCount = 8;           // i16
inline constexpr std::size_t kFirstRunEnd = 0x18;     // i32: content bytes of runs 0..i
inline constexpr std::size_t kFirstRunOffset = 0x20;  // i64: file offset of run i
inline constexpr std::size_t kRunStride = 24;

// Descriptor length for `runs` runs: the last run's offset field ends it.
inline constexpr std::size_t descriptorLength(std::size_t runs) { return kFirstRunEnd + kRunStride * runs; }

}  // namespace tarnwick::storegen::stm
