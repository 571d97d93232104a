#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanEngine.h"
#include "analysis/ScanModel.h"
#include "content/FolderLoader.h"
#include "store/ByteSource.h"
#include "store/StoreFilePair.h"

#include <memory>
#include <optional>
#include <string>

namespace tarnwick {
class MessageSink;
}

namespace tarnwick::session {

// One opened store as both front ends work on it: the database file and its streaming
// file, the model and folder tree of its analysis, the byte sources over the two files and
// the folder loader that fills message lists and items from them.
class StoreSession {
 public:
  // Opens the pair for a new analysis (whatever was open is closed first); the paths are
  // kept when both opened. When either cannot be opened both are left closed.
  store::PairOpenResult openFiles(const std::string& databasePath, const std::string& streamingPath);
  // Takes the paths of files opened through files() directly.
  void setPaths(std::string databasePath, std::string streamingPath);
  // Frees the analysis and closes both store files.
  void release();

  // Runs the analysis of the open files into the model and tree; `databaseName` is the
  // database path as the scan's messages name it.
  analysis::ScanResult scan(const std::u16string& databaseName, analysis::ScanControl& control,
                            analysis::ScanObserver& observer, MessageSink& sink, const analysis::ScanOptions& options);
  // Opens the pair and analyses it without progress or a pause after step one; the
  // loader is ready when both files opened and the analysis completed.
  struct Opened {
    store::PairOpenResult files;
    analysis::ScanResult scan;
    bool ready() const { return files.opened && scan.outcome == analysis::ScanOutcome::Completed; }
  };
  Opened openAndScan(const std::string& databasePath, const std::string& streamingPath, MessageSink& sink);
  // Reads the store as analysis `result` found it: byte sources over the open files and a
  // fresh folder loader (which forgets every folder loaded before).
  // An appointment's contacts column (8225) that the catalogue gives with type 0 is not
  // read, in both front ends alike.
  void useAnalysis(const analysis::ScanResult& result);

  // The folder named by its id or tree path (see lookUpFolder), or shown by a tree item.
  const analysis::FolderNode* findFolder(const std::string& idOrPath) const;
  const analysis::FolderNode* folderOfTreeItem(analysis::TreeItemHandle item) const;
  // Loads the message list of `folder`; false when it was stopped.
  bool loadFolder(const analysis::FolderNode& folder, const content::LoadControl& control = {});
  // The item a listed row with `messageId` stands for in the list of `folder`.
  std::optional<std::size_t> findListedItem(const analysis::FolderNode& folder,
                                            const analysis::MessageId& messageId) const;
  // Completes item `index` of the list of `folder` for preview or show; false when stopped.
  bool loadItem(const analysis::FolderNode& folder, std::size_t index, const content::LoadControl& control = {});
  static content::LoadedFolder loadedFolder(const analysis::FolderNode& folder);

  store::StoreFilePair& files() { return files_; }
  const std::string& databasePath() const { return databasePath_; }
  const std::string& streamingPath() const { return streamingPath_; }
  analysis::ScanModel& model() { return model_; }
  const analysis::ScanModel& model() const { return model_; }
  analysis::FolderTreeModel& tree() { return tree_; }
  const analysis::FolderTreeModel& tree() const { return tree_; }
  // The page layout of the last analysis taken by useAnalysis.
  const store::StoreGeometry& geometry() const { return geometry_; }
  // Null until an analysis is taken; the streaming source also when no streaming file is open.
  const store::ByteSource* database() const { return database_.get(); }
  const store::ByteSource* streaming() const { return streaming_.get(); }
  content::FolderLoader* loader() { return loader_.get(); }

 private:
  store::StoreFilePair files_;
  std::string databasePath_;
  std::string streamingPath_;
  analysis::ScanModel model_;
  analysis::FolderTreeModel tree_;
  store::StoreGeometry geometry_;
  std::unique_ptr<store::FileByteSource> database_;
  std::unique_ptr<store::FileByteSource> streaming_;
  std::unique_ptr<content::FolderLoader> loader_;
};

}  // namespace tarnwick::session
