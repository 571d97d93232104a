#include "cli/StoreSession.h"

#include "cli/ExitCodes.h"
#include "cli/StoreFiles.h"
#include "platform/MessageSink.h"

#include <cstdio>

namespace tarnwick::cli {

std::optional<int> openStoreSession(session::StoreSession& session, const std::string& storePath,
                                    const std::string& stmPath) {
  StreamMessageSink sink(stderr);
  const session::StoreSession::Opened opened = session.openAndScan(storePath, stmPath, sink);
  if (!opened.files.opened) {
    reportCannotOpen(opened.files.failedPath, opened.files.osError);
    return kExitCannotOpen;
  }
  switch (opened.scan.outcome) {
    case analysis::ScanOutcome::UnsupportedPageSize: return kExitUnsupportedStore;
    case analysis::ScanOutcome::FileFailed:
    case analysis::ScanOutcome::NotOpen: return kExitFailure;
    case analysis::ScanOutcome::NoMailbox: return kExitNoMailbox;
    case analysis::ScanOutcome::Stopped: return kExitStopped;
    case analysis::ScanOutcome::Completed: break;
  }
  return std::nullopt;
}

}  // namespace tarnwick::cli
