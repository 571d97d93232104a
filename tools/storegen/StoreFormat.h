#pragma once

// The three store formats the generator writes and what differs between them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::storegen {

enum class StoreFormat { Exchange2003, Exchange2007, Exchange2010 };

struct FormatTraits {
  StoreFormat format;
  std::string_view name;  // "4k", "8k", "32k"
  std::uint32_t pageSize;
  std::uint32_t pageHeaderSize;
  std::uint32_t formatRevision;
  bool eccChecksums;           // XOR + ECC per page (else XOR + page number)
  bool blockChecksums;         // 32 KB pages: one checksum per 8 KB block
  std::uint16_t tagFieldMask;  // size and offset bits of a tag word
  bool nodeFlagsInKeyWord;     // node flags live in the node's first key-size word
  bool taggedFlagsAlways;      // every tagged value carries its flags byte
  bool valueCompression;       // 7-bit and LZ77 value compression exist
  std::uint32_t majorVersion, minorVersion, buildNumber, servicePack;
};

const FormatTraits& traitsOf(StoreFormat format);
std::optional<StoreFormat> parseStoreFormat(std::string_view text);

}  // namespace tarnwick::storegen
