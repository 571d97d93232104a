#pragma once

#include "analysis/FolderKind.h"
#include "analysis/ModelIds.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// One folder read from a row of a folder table.
struct FolderRow {
  FolderId id;
  FolderId parentId;
  std::u16string name;  // may be empty: such a row adds no folder
  FolderKind kind = FolderKind::Other;
};

inline constexpr std::size_t kMaxFolderNameChars = 260;

// The mailbox identifiers a 4 KB/8 KB folder row is searched for, in mailbox-list order,
// with an index so that a row is searched once for all of them.
class MailboxIdIndex {
 public:
  void add(const FolderId& id);
  // List position of the first mailbox with this identifier, or -1.
  std::int64_t find(std::span<const std::uint8_t, 8> bytes) const;
  const FolderId& operator[](std::size_t i) const { return ids_[i]; }
  bool empty() const { return ids_.empty(); }

 private:
  std::vector<FolderId> ids_;
  std::unordered_map<FolderId, std::size_t> first_;
};

// The kind of a folder from its container class, as the 4 KB/8 KB parser tests it (each
// class name a prefix of the value) or the 32 KB parser does (the whole value).
FolderKind kindOfContainerClass(std::u16string_view value, bool prefixTest);
// A folder of class IPF.NOTE is a notes folder only when it is named "Notes".
FolderKind applyNotesRule(FolderKind kind, const std::u16string& name);

// The row parser of 4 KB and 8 KB stores: finds the row's anchor by searching the row for a
// mailbox identifier and reads the folder id, parent id, container class and display name.
// `row` is the row's own bytes; nothing outside it is read.
std::optional<FolderRow> parseFolderRowSmall(std::span<const std::uint8_t> row, const MailboxIdIndex& mailboxes,
                                             std::uint16_t containerClassColumn);

// The row parser of 32 KB stores: finds the anchor by a marker and decodes the 7-bit
// packed container class and display name.
std::optional<FolderRow> parseFolderRowLarge(std::span<const std::uint8_t> row, std::uint16_t containerClassColumn);

}  // namespace tarnwick::analysis
