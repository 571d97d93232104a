#include "analysis/ScanEngine.h"

#include "analysis/CatalogueWalk.h"
#include "analysis/FolderStep.h"
#include "analysis/HeaderStep.h"
#include "analysis/HeaderTableStep.h"
#include "analysis/MailboxStep.h"
#include "analysis/ScanContext.h"
#include "analysis/ScanTexts.h"
#include "platform/AppText.h"
#include "platform/FileError.h"
#include "store/ByteSource.h"
#include "store/CatalogueLayout.h"
#include "store/HeaderCheck.h"
#include "store/StoreMessages.h"

#include <thread>

namespace tarnwick::analysis {

ScanEngine::ScanEngine(StoreFile& database, StoreFile* streaming, std::u16string databasePath, ScanModel& model,
                       FolderTreeModel& tree, ScanControl& control, ScanObserver& observer, MessageSink& sink,
                       ScanOptions options)
    : database_(database),
      streaming_(streaming),
      databasePath_(std::move(databasePath)),
      model_(model),
      tree_(tree),
      control_(control),
      observer_(observer),
      sink_(sink),
      options_(std::move(options)) {
  if (!options_.sleep) options_.sleep = [](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); };
}

ScanResult ScanEngine::run() {
  ScanResult result;
  tree_.clear();
  model_.clearModel();
  control_.clearStop();
  try {
    result.outcome = runSteps(result);
  } catch (const FileError& error) {
    result.outcome = ScanOutcome::FileFailed;
    result.errorText = std::string("The analysis of the database ended: ") + error.what();
    sink_.show(Message{result.errorText, kMessageCaption, MessageIcon::Error, MessageButtons::Ok, true});
  }
  if (result.outcome == ScanOutcome::Completed) observer_.progressChanged(0);
  observer_.scanEnded();
  return result;
}

ScanOutcome ScanEngine::runSteps(ScanResult& result) {
  if (!database_.IsOpen()) return ScanOutcome::NotOpen;

  const store::HeaderCheckResult header = store::checkStoreHeader(database_, streaming_);
  result.geometry = header.geometry;
  if (header.outcome != store::HeaderCheckOutcome::Supported) {
    result.errorText = header.problem;
    sink_.show(Message{store::kCorruptedFileMessage, store::kCorruptedFileCaption, MessageIcon::Error,
                       MessageButtons::Ok, true});
    return ScanOutcome::UnsupportedPageSize;
  }

  const store::FileByteSource source(database_);
  ProgressReporter progress(observer_);
  ScanContext ctx(source, result.geometry, model_, tree_, control_, progress);
  ctx.databasePath = databasePath_;
  auto keep = [&] {
    result.findings = ctx.findings;
    result.mailboxes = ctx.mailboxesFound;
    result.headerTableCount = ctx.headerTableCount;
  };

  // Step 1: the catalogue.
  progress.status(kStep1Text);
  CatalogueWalk walk(ctx);
  const bool walked = walk.run();
  keep();
  if (!walked) return ScanOutcome::Stopped;
  if (ctx.findings.ContainerClassColumn.columnId == 0) {
    ctx.findings.ContainerClassColumn.columnId = store::catalogue::kDefaultContainerClassColumn;
  }
  progress.show(100);
  options_.sleep(options_.stepOnePause);

  // Step 2: the mailboxes.
  progress.status(kStep2Text);
  if (!enumerateMailboxes(ctx)) {
    keep();
    return ScanOutcome::Stopped;
  }
  if (model_.folders.empty()) {
    keep();
    sink_.show(Message{kNoMailboxMessage, kScanMessageCaption, MessageIcon::Error, MessageButtons::Ok, true});
    return ScanOutcome::NoMailbox;
  }
  insertMailboxRoots(ctx);
  keep();

  // Step 3: the folders.
  if (control_.checkpoint()) return ScanOutcome::Stopped;
  progress.status(kStep3Text);
  if (!enumerateFolderTables(ctx)) return ScanOutcome::Stopped;
  if (!model_.folders.empty()) buildFolderTrees(ctx);

  // Step 4: the header tables.
  progress.status(kStep4Text);
  HeaderTableDiscovery discovery(ctx);
  const bool discovered = discovery.run();
  keep();
  if (!discovered) return ScanOutcome::Stopped;

  // Step 5: the message headers.
  progress.status(kStep5Text);
  HeaderEnumeration headers(ctx);
  if (!headers.run()) return ScanOutcome::Stopped;
  return ScanOutcome::Completed;
}

}  // namespace tarnwick::analysis
