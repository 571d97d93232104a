#pragma once

#include "store/PageSizeClass.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace tarnwick::analysis {

// Column ids that name an attachment row's file name and data. 4 KB / 8 KB stores use the
// fixed ids below; 32 KB stores take theirs from the catalogue (0 means none).
struct AttachmentColumns {
  std::uint16_t longFileName = 0;  // first choice for the name
  std::uint16_t displayName = 0;   // second choice
  std::uint16_t fileName = 0;      // third choice (32 KB stores)
  std::uint16_t data = 0;

  static AttachmentColumns smallPageStore();
};

// Fixed distances and ids of attachment rows.
struct AttachmentRowLayout {
  static constexpr std::uint16_t kSmallLongFileName = 0x010A;
  static constexpr std::uint16_t kSmallDisplayName = 0x0105;
  static constexpr std::uint16_t kSmallDisplayNameAlt = 0x0106;
  static constexpr std::uint16_t kSmallData = 0x0107;
  static constexpr std::size_t kMaxCandidates = 800;
  static constexpr std::size_t kPlacementByte = 2;           // 32 KB rows: places the identifier
  static constexpr std::uint16_t kSmallOffsetMask = 0x0FFF;  // value offsets of 4 KB / 8 KB rows
  static constexpr std::size_t kIdLength = 8;
  static constexpr std::size_t kSecondIdNear = 41;
  static constexpr std::size_t kSecondIdFar = 49;
  static constexpr std::size_t kSecondIdSelector = 8;
  static constexpr std::size_t kAfterSecondId = 10;
  static constexpr std::size_t kTagEndMargin = 6;
  static constexpr std::size_t kMaxName = 260;
  static constexpr std::size_t kCompressedNameCapacity = 1024;
  static constexpr std::uint8_t kCompressedFormat = 3;
  static constexpr std::size_t kLongValueLength = 5;
};

// A place in an attachment page where an attachment row may start, with the end of the
// record (tag) it was found in.
struct AttachmentCandidate {
  std::uint32_t position = 0;
  std::uint32_t tagEnd = 0;
};

// An accepted attachment row.
struct AttachmentRow {
  std::u16string name;
  std::array<std::uint8_t, 2> longValueKey{};  // zero for inline or absent data
  std::int16_t dataLength = 0;                 // 5 for a long value, 0 without data
  std::uint64_t dataOffset = 0;                // file offset of inline data (after its format byte)
};

// How trying one candidate for one identifier ended.
enum class AttachmentRowMiss {
  NotThisRow,       // the candidate does not hold the identifier, or has no name: try the next candidate
  GiveUpIdentifier  // a name or data value is malformed: go on with the next identifier
};

using AttachmentRowResult = std::variant<AttachmentRow, AttachmentRowMiss>;
using AttachmentIdBytes = std::array<std::uint8_t, 8>;
using NameUnpacker =
    std::function<std::optional<std::vector<std::uint8_t>>(std::span<const std::uint8_t>, std::size_t)>;

// The candidate rows of an attachment page (at most 800).
std::vector<AttachmentCandidate> findAttachmentCandidates(std::span<const std::uint8_t> page,
                                                          store::PageSizeClass pageSizeClass);

// The identifier at a candidate (nothing when the page ends before it).
std::optional<AttachmentIdBytes> candidateIdentifier(std::span<const std::uint8_t> page, const AttachmentCandidate& c);

// Reads the row at `candidate` for `identifier`. Every read stays inside `page`.
// `unpack7Bit` unpacks compressed names of 32 KB stores (may be empty).
AttachmentRowResult readAttachmentRow(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset,
                                      store::PageSizeClass pageSizeClass, const AttachmentCandidate& candidate,
                                      const AttachmentIdBytes& identifier, const AttachmentColumns& columns,
                                      const NameUnpacker& unpack7Bit = {});

}  // namespace tarnwick::analysis
