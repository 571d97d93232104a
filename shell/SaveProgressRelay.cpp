#include "shell/SaveProgressRelay.h"

#include "shell/CFileSave.h"

namespace tarnwick::shell {

void SaveProgressRelay::connectTo(CFileSave& dialog) {
  constexpr auto queued = Qt::QueuedConnection;
  connect(this, &SaveProgressRelay::countingChanged, &dialog, &CFileSave::showCounting, queued);
  connect(this, &SaveProgressRelay::folderChanged, &dialog, &CFileSave::setCurrentFolder, queued);
  connect(this, &SaveProgressRelay::countersChanged, &dialog, &CFileSave::setCounters, queued);
  connect(this, &SaveProgressRelay::currentChanged, &dialog, &CFileSave::setCurrentProgress, queued);
  connect(this, &SaveProgressRelay::overallChanged, &dialog, &CFileSave::setOverallProgress, queued);
  connect(this, &SaveProgressRelay::attachmentsChanged, &dialog, &CFileSave::showAttachments, queued);
}

}  // namespace tarnwick::shell
