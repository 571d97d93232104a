#pragma once

#include "shell/SkinnedDialog.h"

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnwick::shell {

// The save dialog: the folder being saved, the messages written of those counted, the
// current folder's and the whole save's progress, Skip and Stop. The save runs on its own
// worker; the worker's reports arrive here through queued signals and the dialog closes
// itself when the worker says it has finished.
class SaveProgressDialog : public SkinnedDialog {
  Q_OBJECT

 public:
  struct Hooks {
    // Asks "Saving is in Progress. Do you want to abort ?" with the worker held; true on Yes.
    std::function<bool()> askAbort;
    // Drops the message being written.
    std::function<void()> skip;
  };

  explicit SaveProgressDialog(Hooks hooks, QWidget* parent = nullptr);

  QPushButton* stopButton() const { return stop_; }
  QPushButton* skipButton() const { return skip_; }
  QLabel* folderText() const { return folder_; }
  QLabel* writtenText() const { return written_; }
  QLabel* countText() const { return count_; }
  QLabel* countingText() const { return counting_; }
  QLabel* attachmentsText() const { return attachments_; }
  QProgressBar* currentBar() const { return current_; }
  QProgressBar* overallBar() const { return overall_; }

 public Q_SLOTS:
  void showCounting(bool visible);
  void setCurrentFolder(const QString& path);
  void setCounters(quint32 written, quint32 count);
  void setCurrentProgress(int percent);
  void setOverallProgress(int percent);
  void showAttachments(bool visible);
  // The worker has ended: the dialog closes with OK, or with Cancel when the writer could
  // not be set up.
  void finish(bool setupFailed);
  // Stop, the window's close, Escape and the arrow keys: ask whether to abort.
  void abortPrompt();
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Hooks hooks_;
  bool finished_ = false;
  QPushButton* stop_;
  QPushButton* skip_;
  QLabel* folder_;
  QLabel* written_;
  QLabel* count_;
  QLabel* counting_;
  QLabel* attachments_;
  QProgressBar* current_;
  QProgressBar* overall_;
};

}  // namespace tarnwick::shell
