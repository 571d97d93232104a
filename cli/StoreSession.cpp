#include "cli/StoreSession.h"

#include "analysis/ScanControl.h"
#include "analysis/ScanObserver.h"
#include "analysis/ScanSummary.h"
#include "cli/ExitCodes.h"
#include "cli/StoreFiles.h"
#include "platform/CodePage.h"
#include "platform/MessageSink.h"

#include <cstdio>
#include <vector>

namespace tarnwick::cli {

namespace {

// The scan runs quietly for these commands.
class QuietObserver : public analysis::ScanObserver {
 public:
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};

// "a/b\/c" -> {"a", "b/c"}.
std::vector<std::u16string> pathLevels(std::u16string_view path) {
  std::vector<std::u16string> levels(1);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == u'\\' && i + 1 < path.size() && path[i + 1] == u'/') {
      levels.back().push_back(u'/');
      ++i;
    } else if (path[i] == u'/') {
      levels.emplace_back();
    } else {
      levels.back().push_back(path[i]);
    }
  }
  while (!levels.empty() && levels.back().empty()) levels.pop_back();
  return levels;
}

// "Mailbox\Inbox\" -> {"Mailbox", "Inbox"}.
std::vector<std::u16string> treeLevels(std::u16string_view path) {
  std::vector<std::u16string> levels(1);
  for (char16_t c : path) {
    if (c == u'\\') {
      levels.emplace_back();
    } else {
      levels.back().push_back(c);
    }
  }
  while (!levels.empty() && levels.back().empty()) levels.pop_back();
  return levels;
}

}  // namespace

std::optional<int> StoreSession::open(const std::string& storePath, const std::string& stmPath) {
  if (!OpenStoreFile(database_, storePath)) return kExitCannotOpen;
  if (!stmPath.empty() && !OpenStoreFile(streaming_, stmPath)) return kExitCannotOpen;
  StreamMessageSink sink(stderr);
  analysis::ScanControl control;
  QuietObserver observer;
  analysis::ScanOptions options;
  options.stepOnePause = std::chrono::milliseconds(0);
  analysis::ScanEngine engine(database_, stmPath.empty() ? nullptr : &streaming_, Utf8ToUtf16(storePath), model_, tree_,
                              control, observer, sink, options);
  result_ = engine.run();
  switch (result_.outcome) {
    case analysis::ScanOutcome::UnsupportedPageSize: return kExitUnsupportedStore;
    case analysis::ScanOutcome::FileFailed:
    case analysis::ScanOutcome::NotOpen: return kExitFailure;
    case analysis::ScanOutcome::NoMailbox: return kExitNoMailbox;
    case analysis::ScanOutcome::Stopped: return kExitStopped;
    case analysis::ScanOutcome::Completed: break;
  }
  databaseSource_ = std::make_unique<content::FileByteSource>(database_);
  if (streaming_.IsOpen()) streamingSource_ = std::make_unique<content::FileByteSource>(streaming_);
  content::LoaderCatalogue catalogue;
  catalogue.messageLongValueObjectId = result_.findings.MessageLongValueObjectId;
  catalogue.appointmentColumns.contact8225 =
      result_.findings.MessageColumn8225.columnType != 0 ? static_cast<std::uint16_t>(result_.findings.MessageColumn8225.columnId) : 0;
  catalogue.appointmentColumns.timeZone810c = static_cast<std::uint16_t>(result_.findings.MessageColumn810c.columnId);
  catalogue.appointmentColumns.location8201 = static_cast<std::uint16_t>(result_.findings.MessageColumn8201.columnId);
  loader_ = std::make_unique<content::FolderLoader>(*databaseSource_, result_.geometry, streaming_.IsOpen(), catalogue);
  return std::nullopt;
}

const analysis::FolderNode* StoreSession::findFolder(const std::string& idOrPath) const {
  const std::u16string wanted = Utf8ToUtf16(idOrPath);
  const std::vector<std::u16string> levels = pathLevels(wanted);
  for (const analysis::FolderNode& node : model_.folders) {
    if (node.treeItem == 0 || node.parentId.isZero()) continue;
    if (analysis::IdHex(node.id) == idOrPath) return &node;
    if (treeLevels(tree_.folderPath(node.treeItem)) == levels) return &node;
  }
  return nullptr;
}

content::LoadedFolder StoreSession::loadedFolder(const analysis::FolderNode& folder) {
  return {folder.id, folder.kind, folder.ownerKey};
}

void StoreSession::loadFolder(const analysis::FolderNode& folder) {
  loader_->loadFolderItems(model_, loadedFolder(folder), content::LoadMode::List);
}

}  // namespace tarnwick::cli
