#pragma once

// Message headers: the plan of every folder's messages and the rows of the header tables
// that hold them. 4 KB/8 KB stores keep one table per folder, named from the folder id
// ("1-1C0A3F") and derived from "MsgHeaderTemplate"; 32 KB stores one "MsgHeader-KEY" table
// per mailbox. Each row is an ordinary record whose fixed columns put the folder id, the
// message id and the delivery time where the header step of a scan looks, and whose tagged
// columns hold the sender, the subject prefix, the normalized subject and, in calendar
// folders, the start and end time.

#include <optional>
#include <vector>

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

std::vector<MessagePlan> planMessages(const std::vector<FolderPlan>& folders,
                                      const std::vector<std::uint64_t>& mailboxIds, std::uint32_t perFolder, Rng& rng);

// The header-table name of a 4 KB/8 KB folder.
std::string smallHeaderTableName(std::uint64_t folderId);

TableDef smallHeaderTemplate(const std::string& name);
// Rows of one folder's table (the messages of that folder, in order).
RowSource smallHeaderRows(std::vector<MessagePlan> messages);

TableDef largeHeaderTable(const std::string& name);
// Rows of one mailbox's table (the messages of its folders, in order).
RowSource largeHeaderRows(std::vector<MessagePlan> messages);

// FILETIME as "YYYY-MM-DDTHH:MM:SSZ".
std::string isoTimeOf(std::uint64_t fileTime);

}  // namespace tarnwick::storegen
