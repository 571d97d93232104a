#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanModel.h"
#include "platform/MessageSink.h"
#include "session/StoreSession.h"
#include "shell/WorkState.h"
#include "store/StoreFilePair.h"

#include <functional>
#include <string>

class QWidget;

namespace tarnwick::shell {

// What the windows of the application share: the store session (the two store files and
// their paths, the model of the last analysis, the folder loader), the running work, and
// where messages go.
class ShellSession {
 public:
  explicit ShellSession(MessageSink& sink) : sink_(sink) {}

  MessageSink& sink() { return sink_; }
  WorkState& work() { return work_; }
  session::StoreSession& core() { return core_; }
  store::StoreFilePair& files() { return core_.files(); }
  analysis::ScanModel& model() { return core_.model(); }
  analysis::FolderTreeModel& tree() { return core_.tree(); }

  const std::string& databasePath() const { return core_.databasePath(); }
  const std::string& streamingPath() const { return core_.streamingPath(); }
  void setPaths(std::string database, std::string streaming) {
    core_.setPaths(std::move(database), std::move(streaming));
  }

  // Runs the analysis of the open store with `parent` as the owner of its dialog; true
  // when it ran (to its end or to a stop), false when it was cancelled. Set by the main
  // window; without it the opened store is taken as it is.
  std::function<bool(QWidget* parent)> analyse;

  // Frees the analysis and closes both store files (the end of the program).
  void release() { core_.release(); }

 private:
  MessageSink& sink_;
  WorkState work_;
  session::StoreSession core_;
};

}  // namespace tarnwick::shell
