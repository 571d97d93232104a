#pragma once

#include <cstddef>
#include <cstdint>

// The flags of a database page: the 32-bit field at offset 36 of the page header, with the
// names ESE gives them. The store reader tests them and the test-store generator writes
// them, both from here.
namespace tarnwick::store::page_flags {

inline constexpr std::size_t kOffset = 36;

inline constexpr std::uint32_t kFlagRoot = 0x0001;
inline constexpr std::uint32_t kFlagLeaf = 0x0002;
inline constexpr std::uint32_t kFlagParent = 0x0004;
inline constexpr std::uint32_t kFlagEmpty = 0x0008;
inline constexpr std::uint32_t kFlagSpaceTree = 0x0020;
inline constexpr std::uint32_t kFlagIndex = 0x0040;
inline constexpr std::uint32_t kFlagLongValue = 0x0080;
inline constexpr std::uint32_t kFlagNewRecordFormat = 0x0800;
inline constexpr std::uint32_t kFlagNewChecksumFormat = 0x2000;

// The format bits of the second flag byte (0x0100 to 0x0800): a branch page has only the
// new-record-format bit among them.
inline constexpr std::uint32_t kFormatBits = 0x0F00;

}  // namespace tarnwick::store::page_flags
