#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanModel.h"
#include "platform/MessageSink.h"
#include "shell/WorkState.h"
#include "store/StoreFilePair.h"

#include <functional>
#include <string>

class QWidget;

namespace tarnwick::shell {

// What the windows of the application share: the two store files and their paths, the
// model of the last analysis, the running work, and where messages go.
class ShellSession {
 public:
  explicit ShellSession(MessageSink& sink) : sink_(sink) {}

  MessageSink& sink() { return sink_; }
  WorkState& work() { return work_; }
  store::StoreFilePair& files() { return files_; }
  analysis::ScanModel& model() { return model_; }
  analysis::FolderTreeModel& tree() { return tree_; }

  const std::string& databasePath() const { return databasePath_; }
  const std::string& streamingPath() const { return streamingPath_; }
  void setPaths(std::string database, std::string streaming) {
    databasePath_ = std::move(database);
    streamingPath_ = std::move(streaming);
  }

  // Runs the analysis of the open store with `parent` as the owner of its dialog; true
  // when it ran (to its end or to a stop), false when it was cancelled. Set by the main
  // window; without it the opened store is taken as it is.
  std::function<bool(QWidget* parent)> analyse;

  // Frees the analysis and closes both store files (the end of the program).
  void release();

 private:
  MessageSink& sink_;
  WorkState work_;
  store::StoreFilePair files_;
  analysis::ScanModel model_;
  analysis::FolderTreeModel tree_;
  std::string databasePath_;
  std::string streamingPath_;
};

}  // namespace tarnwick::shell
