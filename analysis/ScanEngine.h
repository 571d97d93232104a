#pragma once

#include "analysis/CatalogueFindings.h"
#include "analysis/FolderTreeModel.h"
#include "analysis/ScanControl.h"
#include "analysis/ScanModel.h"
#include "analysis/ScanObserver.h"
#include "platform/MessageSink.h"
#include "platform/StoreFile.h"
#include "store/StoreGeometry.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::analysis {

enum class ScanOutcome {
  Completed,            // all five steps ran
  Stopped,              // a stop was requested; what was found so far stays
  NoMailbox,            // the mailbox table held no mailbox: steps 3 to 5 did not run
  UnsupportedPageSize,  // the header gives a page size other than 4096, 8192 or 32768
  FileFailed,           // a read of the database failed; the message names file and error
  NotOpen,              // the database file is not open
};

struct ScanOptions {
  // The pause after step 1, so that its full bar is seen however fast the walk was.
  std::chrono::milliseconds stepOnePause{1000};
  // How the pause is waited for; a plain sleep unless replaced.
  std::function<void(std::chrono::milliseconds)> sleep;
};

struct ScanResult {
  ScanOutcome outcome = ScanOutcome::NotOpen;
  store::StoreGeometry geometry;
  CatalogueFindings findings;
  // The mailbox roots as step 2 found them, with their tree items (the model drops its
  // mailbox list after step 4).
  std::vector<FolderNode> mailboxes;
  std::uint32_t headerTableCount = 0;
  std::string errorText;  // FileFailed: what happened to which file; UnsupportedPageSize: what is wrong
};

// The five-step scan of a database without any user interface: header check, catalogue,
// mailboxes, folders, header tables and message headers. It fills the model and the folder
// tree, reports status and progress to the observer, sends its messages to the sink, and
// honours stop and pause requests at its checkpoints. Runs on whatever thread calls `run`.
class ScanEngine {
 public:
  ScanEngine(StoreFile& database, StoreFile* streaming, std::u16string databasePath, ScanModel& model,
             FolderTreeModel& tree, ScanControl& control, ScanObserver& observer, MessageSink& sink,
             ScanOptions options = {});

  // Discards the previous analysis (model and tree) and runs the scan.
  ScanResult run();

 private:
  ScanOutcome runSteps(ScanResult& result);

  StoreFile& database_;
  StoreFile* streaming_;
  std::u16string databasePath_;
  ScanModel& model_;
  FolderTreeModel& tree_;
  ScanControl& control_;
  ScanObserver& observer_;
  MessageSink& sink_;
  ScanOptions options_;
};

}  // namespace tarnwick::analysis
