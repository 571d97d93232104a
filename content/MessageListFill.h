#pragma once

#include "analysis/FolderList.h"
#include "analysis/MessageItems.h"
#include "content/MessageRow.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick::content {

// The rows of the message list for `folder` from the loaded message list, in list order:
// items of other folders (and, in 32 KB stores, of other mailboxes) and items whose date
// the list does not show are left out. Stops early, with the rows made so far, when
// `stop` is set.
std::vector<MessageRow> buildMessageRows(const analysis::MessageItemList& items, const analysis::FolderNode& folder,
                                         std::u16string_view mailboxText, const store::ByteSource& database,
                                         const store::StoreGeometry& geometry, const std::atomic<bool>* stop = nullptr);

// The item a row of the list stands for: the first item of `folder` with the row's
// message id (and, in 32 KB stores, the folder's owner key).
std::optional<std::size_t> findListedItem(const analysis::MessageItemList& items, const analysis::FolderNode& folder,
                                          const analysis::MessageId& messageId, bool largePages);

// Deletes the body files of the previous preview ("TarnBody.txt", ".html", ".rtf") from
// the working directory; a new folder list starts clean.
void deletePreviewBodyFiles(const std::filesystem::path& workingDirectory);

}  // namespace tarnwick::content
