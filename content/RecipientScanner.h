#pragma once

#include "content/RecipientList.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnwick::content {

// Harvests e-mail addresses from the raw bytes of a recipient value, whatever its layout:
// it looks for "@" characters, walks back to where an address starts, and offers each
// candidate to a RecipientList. Every search stays inside `data`.
struct RecipientScanner {
  // Bytes E4 04 whose sixth following byte is not zero precede an address text in the
  // recipient values of the store; scanning resumes six bytes after them.
  static constexpr std::uint8_t kAddressMarker0 = 0xE4;
  static constexpr std::uint8_t kAddressMarker1 = 0x04;
  static constexpr std::size_t kAddressMarkerDistance = 6;
  // Where a compressed value's marker is looked for.
  static constexpr std::size_t kCompressedMarkerWindow = 50;
  // Longest candidate read, in characters.
  static constexpr std::size_t kMaxCandidate = 499;
  // An X.500 name ("/cn") this close before an address is skipped over.
  static constexpr std::size_t kX500Window = 20;

  // Scans an inline value from `start` to the end of `data`. `smallPageStore` (4 KB and
  // 8 KB pages) lets the scan resume at address markers.
  static void scanInline(std::span<const std::uint8_t> data, std::size_t start, bool smallPageStore,
                         RecipientList& out);

  // Scans a value assembled from long-value chunks.
  static void scanAssembled(std::span<const std::uint8_t> data, RecipientList& out);

  // Where the scan of an unpacked (compressed) value starts: six bytes after the first
  // address marker within its first bytes, else 0.
  static std::size_t compressedScanStart(std::span<const std::uint8_t> data);
};

}  // namespace tarnwick::content
