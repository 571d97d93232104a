#pragma once

#include "analysis/MessageItems.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
// 7-bit unpacked; otherwise (or when that gives nothing) its bytes are UTF-16 characters, up to
// a zero character or the value's end, at most `rawMax` of them. Any other character, whatever
// its low byte, belongs to the text. Reads stay inside `page`.
std::u16string headerText(std::span<const std::uint8_t> page, std::uint16_t offset, std::uint16_t length,
                          bool largePages, std::size_t rawMax);

// The last header and record pages read for header texts, kept for the next items: the
// items of a folder lie in list order on few header pages, so a list reads each page once
// instead of once per item.
class HeaderPageCache {
 public:
  // Which page a text is read from: the header record's, or the message record's (senders).
  enum class Role { Header, Record };
  // The page at `offset` (page size, or less at the end of the file), read when the page
  // kept for `role` is another one.
  std::span<const std::uint8_t> page(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                     std::int64_t offset, Role role);

 private:
  struct Kept {
    std::int64_t offset = -1;
    std::vector<std::uint8_t> bytes;
  };
  Kept kept_[2];  // by role
};

// Reads the subject (first and second texts: second + first in 32 KB stores, first +
// second otherwise, at most 1000 characters) and the sender (the third text, from the
// record's own page when the message record supplied it) of `item`; through `cache`, when
// given, pages read for earlier items are not read again.
HeaderTexts readHeaderTexts(const store::ByteSource& db, const store::StoreGeometry& geometry,
                            const analysis::MessageItem& item, HeaderPageCache* cache = nullptr);

}  // namespace tarnwick::content
