#pragma once

// The Exchange tables a store of each era holds, with the object ids, root pages and
// column names a real store has, so that a catalogue walk finds them in their catalogue
// rows: "Mailbox", "Folders", "Msg" (4 KB and 8 KB stores) or "Body-<mailbox key>" (32 KB),
// the attachment table, the message-header tables, the "LV" trees, and property columns.

#include <array>
#include <cstdint>
#include <string>

#include "tools/storegen/Rng.h"
#include "tools/storegen/Scenario.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Fixed places of the format (page numbers), where a real store has its roots.
struct SkeletonPages {
  PageNumber mailbox;
  PageNumber message;      // 4 KB / 8 KB: "Msg"
  PageNumber folders;      // 4 KB / 8 KB: "Folders"
  PageNumber attachments;  // 4 KB / 8 KB
  PageNumber longValues;   // the message long values
};
SkeletonPages skeletonPagesOf(StoreFormat format);

inline constexpr std::uint32_t kFoldersObjectId = 8;
inline constexpr std::uint32_t kMessageObjectId = 19;
inline constexpr std::uint32_t kMailboxObjectId = 24;
inline constexpr std::uint32_t kAttachmentObjectId = 61;
inline constexpr std::uint32_t kFoldersInitialPages = 9;

// The hexadecimal text a 32 KB store names a mailbox's tables with.
std::string mailboxKeyText(const std::array<std::uint8_t, 8>& id);
std::array<std::uint8_t, 8> identifierBytes(std::uint64_t id);

// Adds the Exchange tables of the scenario to `plan` (mailboxes from the rng).
void addExchangeSkeleton(const Scenario& scenario, Rng& rng, StorePlan& plan);

}  // namespace tarnwick::storegen
