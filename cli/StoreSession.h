#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanEngine.h"
#include "analysis/ScanModel.h"
#include "content/ByteSource.h"
#include "content/FolderLoader.h"
#include "platform/CFile64.h"

#include <memory>
#include <optional>
#include <string>

namespace tarnwick::cli {

// A store opened and scanned for the list and show commands, with a folder picked by id
// or path and its message list loaded.
class StoreSession {
 public:
  // Opens and scans the store; on failure prints why (naming the file) and returns the
  // exit code to end with.
  std::optional<int> open(const std::string& storePath, const std::string& stmPath);

  // Finds the folder named by 16 hex digits of its id or by its path as the tree shows
  // it ("Mailbox/Inbox", a "/" inside a name written "\/"). Null when there is none.
  const analysis::FolderNode* findFolder(const std::string& idOrPath) const;

  // Loads the message list of `folder` (list mode).
  void loadFolder(const analysis::FolderNode& folder);

  analysis::ScanModel& model() { return model_; }
  const analysis::FolderTreeModel& tree() const { return tree_; }
  const store::StoreGeometry& geometry() const { return result_.geometry; }
  const content::ByteSource& database() const { return *databaseSource_; }
  const content::ByteSource* streaming() const { return streamingSource_.get(); }
  content::FolderLoader& loader() { return *loader_; }
  static content::LoadedFolder loadedFolder(const analysis::FolderNode& folder);

 private:
  CFile64 database_;
  CFile64 streaming_;
  analysis::ScanModel model_;
  analysis::FolderTreeModel tree_;
  analysis::ScanResult result_;
  std::unique_ptr<content::FileByteSource> databaseSource_;
  std::unique_ptr<content::FileByteSource> streamingSource_;
  std::unique_ptr<content::FolderLoader> loader_;
};

}  // namespace tarnwick::cli
