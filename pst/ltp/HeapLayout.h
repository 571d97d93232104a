#pragma once

#include <cstddef>
#include <cstdint>

/// On-disk constants of the lists, tables and properties layer.
namespace tarnwick::pst::layout {

inline constexpr std::uint8_t kHeapSignature = 0xEC;
inline constexpr std::uint8_t kClientSigTableContext = 0x7C;
inline constexpr std::uint8_t kClientSigBth = 0xB5;
inline constexpr std::uint8_t kClientSigPropertyContext = 0xBC;
inline constexpr std::size_t kHnHeaderSize = 12;        // HNHDR
inline constexpr std::size_t kHnPageHeaderSize = 2;     // HNPAGEHDR
inline constexpr std::size_t kHnBitmapHeaderSize = 66;  // HNBITMAPHDR
inline constexpr std::size_t kHnFirstBitmapPage = 8;
inline constexpr std::size_t kHnBitmapPageInterval = 128;
inline constexpr std::size_t kHnMaxAllocation = 3580;
inline constexpr std::size_t kHnPageMapHeaderSize = 4;  // cAlloc, cFree
inline constexpr std::size_t kBthHeaderSize = 8;
inline constexpr std::size_t kTcInfoHeaderSize = 22;
inline constexpr std::size_t kTcColDescSize = 8;
inline constexpr std::size_t kTcRowIdKeySize = 4;
inline constexpr std::size_t kTcRowIndexEntrySize = 4;

}  // namespace tarnwick::pst::layout
