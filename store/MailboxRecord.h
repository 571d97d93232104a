#pragma once

#include "store/PageSizeClass.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::store {

// A mailbox found in a record of the mailbox table.
struct MailboxRecord {
  std::array<std::uint8_t, 8> id{};
  std::u16string name;  // at most kMaxMailboxNameChars characters, never empty
};

inline constexpr std::size_t kMaxMailboxNameChars = 260;

// Recognises mailbox records by their byte patterns: the identifier area after a short
// marker, and the tagged-column directory that holds the display name. One parser serves
// one analysis: a record whose directory distance is 0 uses the directory position of the
// previous mailbox record.
class MailboxRecordParser {
 public:
  explicit MailboxRecordParser(PageSizeClass pageSizeClass) : pageSizeClass_(pageSizeClass) {}

  // The mailbox held by `record` (the record's own bytes), or nothing when the record is
  // not a mailbox record. Never reads outside `record`.
  std::optional<MailboxRecord> parse(std::span<const std::uint8_t> record);

 private:
  PageSizeClass pageSizeClass_;
  std::int64_t rememberedDirectory_ = 0;
};

}  // namespace tarnwick::store
