#include "shell/SaveProgressRelay.h"

#include "shell/SaveProgressDialog.h"

namespace tarnwick::shell {

void SaveProgressRelay::connectTo(SaveProgressDialog& dialog) {
  constexpr auto queued = Qt::QueuedConnection;
  connect(this, &SaveProgressRelay::countingChanged, &dialog, &SaveProgressDialog::showCounting, queued);
  connect(this, &SaveProgressRelay::folderChanged, &dialog, &SaveProgressDialog::setCurrentFolder, queued);
  connect(this, &SaveProgressRelay::countersChanged, &dialog, &SaveProgressDialog::setCounters, queued);
  connect(this, &SaveProgressRelay::currentChanged, &dialog, &SaveProgressDialog::setCurrentProgress, queued);
  connect(this, &SaveProgressRelay::overallChanged, &dialog, &SaveProgressDialog::setOverallProgress, queued);
  connect(this, &SaveProgressRelay::attachmentsChanged, &dialog, &SaveProgressDialog::showAttachments, queued);
}

}  // namespace tarnwick::shell
