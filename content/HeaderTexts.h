#pragma once

#include "analysis/MessageItems.h"
#include "content/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::content {

// The subject and sender texts of a message, read from its header record.
struct HeaderTexts {
  std::u16string subject;
  std::u16string sender;
};

// Limits of the header texts.
struct HeaderTextLimits {
  static constexpr std::size_t kMaxSubject = 1000;
  static constexpr std::size_t kMaxDecoded = 260;
  static constexpr std::size_t kMaxRawSender = 300;
  static constexpr std::size_t kMaxAnsiSender = 260;
  static constexpr std::uint8_t kSingleByteFormat = 3;
};

// One text value of a header page at `offset` (just after its format byte), `length`
// bytes counted from that format byte. In 32 KB stores a value whose format byte is 3 is
// 7-bit unpacked; otherwise (or when that gives nothing) its bytes are copied as UTF-16 characters up to
// one whose low byte is below `rawStop`, at most `rawMax` characters. Reads stay inside
// `page`.
std::u16string headerText(std::span<const std::uint8_t> page, std::uint16_t offset, std::uint16_t length,
                          bool largePages, std::uint8_t rawStop, std::size_t rawMax);

// Reads the subject (first and second texts: second + first in 32 KB stores, first +
// second otherwise, at most 1000 characters) and the sender (the third text, from the
// record's own page when the message record supplied it) of `item`.
HeaderTexts readHeaderTexts(const ByteSource& db, const store::StoreGeometry& geometry,
                            const analysis::MessageItem& item);

}  // namespace tarnwick::content
