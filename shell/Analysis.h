#pragma once

#include "analysis/ScanControl.h"
#include "analysis/ScanEngine.h"
#include "shell/SkinnedDialog.h"

#include <QThread>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnwick::shell {

class ShellSession;

// The analysis dialog: runs the five-step scan of the open store on a worker thread and
// shows its step, its progress, Pause/Resume and Stop. The worker reaches the widgets only
// through queued signals. The dialog closes itself when the scan returns: accepted after a
// completed or stopped scan (and after the scan's own messages).
class Analysis : public SkinnedDialog {
  Q_OBJECT

 public:
  Analysis(ShellSession& session, QWidget* parent = nullptr);
  ~Analysis() override;

  QPushButton* pauseButton() const { return pause_; }
  QPushButton* stopButton() const { return stop_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* statusLine() const { return status_; }
  QLabel* stoppingText() const { return stopping_; }
  analysis::ScanControl& control() { return control_; }
  const analysis::ScanResult& result() const { return result_; }
  bool running() const { return worker_ != nullptr; }

  // Replaces the scan's options (tests shorten the pause after step 1).
  void setScanOptions(analysis::ScanOptions options) { options_ = std::move(options); }

 public Q_SLOTS:
  // Pause when running, resume when paused.
  void onPauseResume();
  // Asks whether to stop; on Yes the scan ends at its next checkpoint.
  void stopPrompt();
  void reject() override;

 Q_SIGNALS:
  void statusArrived(const QString& text);
  void progressArrived(int percent);
  void scanEndedArrived();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Observer;
  void start();
  void finished();

  ShellSession& session_;
  analysis::ScanControl control_;
  analysis::ScanOptions options_;
  analysis::ScanResult result_;
  std::unique_ptr<Observer> observer_;
  QThread* worker_ = nullptr;
  bool started_ = false;
  QPushButton* pause_;
  QPushButton* stop_;
  QProgressBar* progress_;
  QLabel* status_;
  QLabel* stopping_;
};

}  // namespace tarnwick::shell
