#pragma once

#include "analysis/FolderList.h"
#include "analysis/MessageHeaders.h"
#include "analysis/MessageItems.h"
#include "export/WriterInterfaces.h"
#include "platform/FileTime.h"

#include <cstdint>
#include <string>

namespace tarnwick::exporter {

class SaveControl;
class SaveObserver;

// How writing one item ended.
struct ItemOutcome {
  enum class Result { Written, Skipped, Failed };
  Result result = Result::Written;
  std::string reason;  // why it failed

  static ItemOutcome written() { return {}; }
  static ItemOutcome skipped() { return {Result::Skipped, "skipped by the user"}; }
  static ItemOutcome failed(std::string why) { return {Result::Failed, std::move(why)}; }
};

// Everything an item writer works with besides the item.
struct ItemContext {
  OutputStore& store;
  const std::string& folderPath;       // "\\" + display name + "\" + the folder's levels
  const analysis::FolderNode& folder;  // the folder being saved
  const std::u16string& mailboxName;   // the selection path up to its first backslash
  SaveControl& control;                // skip is polled through this
  SaveObserver& observer;
};

// Writes one item of a folder into the open output store, by the item's kind. A failure
// of the output store's writer is reported as Failed with the writer's message; Skip
// seen while the item is prepared gives Skipped.
class ItemWriter {
 public:
  virtual ~ItemWriter() = default;
  // `time` is the instant the item is saved with (a FILETIME in whole seconds, already
  // inside 1980-2099).
  virtual ItemOutcome write(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& context) = 0;
};

// Where the save gets the items of a folder from.
class FolderItemSource {
 public:
  virtual ~FolderItemSource() = default;
  // Rebuilds `items` with the messages of `folder`, completed from their message records
  // as the save needs them. Throws when the store cannot be read.
  virtual void loadFolderItems(const analysis::FolderNode& folder, analysis::MessageItemList& items) = 0;
  // The subject of a header or item as the message list shows it (UTF-8); empty when it
  // cannot be read. Used to name items in the report.
  virtual std::string subjectOf(const analysis::MessageHeader& header) = 0;
  virtual std::string subjectOf(const analysis::MessageItem& item) = 0;
};

}  // namespace tarnwick::exporter
