#pragma once

#include "analysis/FolderKind.h"
#include "analysis/MessageHeaders.h"
#include "analysis/ModelIds.h"
#include "store/PageSizeClass.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// Column ids of the three header texts, by the letters the catalogue gave them: 'S' the
// subject prefix, 'T' the normalized subject, 'F' the sender's display name.
struct HeaderColumns {
  std::optional<std::uint16_t> subjectPrefix;      // letter 'S'
  std::optional<std::uint16_t> normalizedSubject;  // letter 'T'
  std::optional<std::uint16_t> senderName;         // letter 'F' (32 KB stores)
};

// What the header-page parser needs of the header table that owns the page.
struct HeaderTableInfo {
  FolderId key;  // 4 KB/8 KB stores: the folder's id; zero in 32 KB stores
  FolderKind kind = FolderKind::Other;
  std::optional<std::string> ownerKey;
};

// Reads the message rows of one page of a message-header table: each row's anchor, ids,
// time, the places of its three texts and, for calendar tables, the start and end time.
// Rows that do not fit are skipped; headers whose time does not convert are left out.
// Never reads outside `page`.
std::vector<MessageHeader> parseHeaderRows(std::span<const std::uint8_t> page, store::PageSizeClass pageSizeClass,
                                           const HeaderTableInfo& table, const HeaderColumns& columns,
                                           store::FileOffset pageOffset);

// Whether a model time converts to a calendar date, and whether that date lies in 1601.
bool modelTimeConverts(const ModelTime& time);
bool modelTimeInYear1601(const ModelTime& time);

}  // namespace tarnwick::analysis
