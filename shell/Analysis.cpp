#include "shell/Analysis.h"

#include "analysis/ScanTexts.h"
#include "platform/AppText.h"
#include "shell/ShellSession.h"
#include "shell/ShellTexts.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tarnwick::shell {

// Runs on the scan's thread: turns its reports into signals of the dialog, which Qt
// queues to the user-interface thread.
class Analysis::Observer : public analysis::ScanObserver {
 public:
  explicit Observer(Analysis& dialog) : dialog_(dialog) {}
  void statusChanged(std::string_view text) override {
    Q_EMIT dialog_.statusArrived(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }
  void progressChanged(int percent) override { Q_EMIT dialog_.progressArrived(percent); }
  void scanEnded() override { Q_EMIT dialog_.scanEndedArrived(); }

 private:
  Analysis& dialog_;
};

Analysis::Analysis(ShellSession& session, QWidget* parent)
    : SkinnedDialog(kDialogSkinFile, parent), session_(session), observer_(std::make_unique<Observer>(*this)) {
  setObjectName("analysisDialog");
  setModal(true);
  auto* frame = new QGroupBox(analysis::kAnalysingFrame, this);
  status_ = new QLabel(analysis::kInitialStatusText, frame);
  status_->setObjectName("status");
  progress_ = new QProgressBar(frame);
  progress_->setObjectName("progress");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  stopping_ = new QLabel(analysis::kStoppingText, frame);
  stopping_->setObjectName("stopping");
  stopping_->hide();
  auto* inner = new QVBoxLayout(frame);
  inner->addWidget(status_);
  inner->addWidget(progress_);
  inner->addWidget(stopping_);

  pause_ = new QPushButton(analysis::kPauseCaption, this);
  pause_->setObjectName("pause");
  pause_->setAutoDefault(false);
  stop_ = new QPushButton("&Stop", this);
  stop_->setObjectName("stop");
  stop_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(pause_);
  buttons->addWidget(stop_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->addWidget(frame);
  layout->addStretch();
  layout->addLayout(buttons);
  resize(460, 190);

  connect(pause_, &QPushButton::clicked, this, &Analysis::onPauseResume);
  connect(stop_, &QPushButton::clicked, this, &Analysis::stopPrompt);
  connect(this, &Analysis::statusArrived, status_, &QLabel::setText);
  connect(this, &Analysis::progressArrived, progress_, &QProgressBar::setValue);
  connect(this, &Analysis::scanEndedArrived, this, [this] {
    progress_->hide();
    status_->hide();
    stop_->setEnabled(false);
    progress_->setValue(0);
  });
  for (QWidget* child : {static_cast<QWidget*>(pause_), static_cast<QWidget*>(stop_)}) child->installEventFilter(this);
  installEventFilter(this);
}

Analysis::~Analysis() {
  if (worker_) {
    // Only reached when the dialog is torn down early: stop the scan and wait for it.
    control_.requestStop();
    control_.resume();
    worker_->wait();
    delete worker_;
  }
}

void Analysis::showEvent(QShowEvent* event) {
  SkinnedDialog::showEvent(event);
  if (!started_) {
    started_ = true;
    QTimer::singleShot(0, this, &Analysis::start);
  }
}

void Analysis::start() {
  control_.clearStop();
  session_.work().setRunning(WorkState::Worker::Analysis, true);
  const std::u16string path = QString::fromStdString(session_.databasePath()).toStdU16String();
  worker_ = QThread::create(
      [this, path] { result_ = session_.core().scan(path, control_, *observer_, session_.sink(), options_); });
  worker_->setObjectName("analysis");
  connect(worker_, &QThread::finished, this, &Analysis::finished);
  worker_->start();
}

void Analysis::finished() {
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  session_.work().setRunning(WorkState::Worker::Analysis, false);
  // A failed read was shown by the analysis itself, through the same sink.
  accept();
}

void Analysis::onPauseResume() {
  if (pause_->text() == analysis::kPauseCaption) {
    control_.pause();
    stop_->setEnabled(false);
    progress_->setEnabled(false);
    pause_->setText(analysis::kResumeCaption);
  } else {
    control_.resume();
    stop_->setEnabled(true);
    progress_->setEnabled(true);
    pause_->setText(analysis::kPauseCaption);
  }
}

void Analysis::stopPrompt() {
  // The scan stands still while the question is open; a paused scan stays paused.
  const bool wasPaused = control_.paused();
  if (!wasPaused) control_.pause();
  Message question;
  question.text = analysis::kStopQuestion;
  question.caption = kMessageCaption;
  question.icon = MessageIcon::Question;
  question.buttons = MessageButtons::YesNo;
  question.systemModal = true;
  if (session_.sink().show(question) == MessageAnswer::Yes) {
    stopping_->show();
    control_.requestStop();
    progress_->hide();
    status_->hide();
    progress_->setValue(0);
    stop_->setEnabled(false);
  }
  if (!wasPaused) control_.resume();
}

void Analysis::reject() {
  // Escape and the window's close ask to stop; the dialog closes itself when the scan ends.
  if (worker_ && !control_.paused()) stopPrompt();
}

void Analysis::closeEvent(QCloseEvent* event) {
  event->ignore();
  reject();
}

bool Analysis::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    switch (key) {
      case Qt::Key_Return:
      case Qt::Key_Enter: return true;  // never presses a button
      case Qt::Key_Escape:
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (worker_) stopPrompt();
        return true;
      default: break;
    }
  }
  return SkinnedDialog::eventFilter(watched, event);
}

}  // namespace tarnwick::shell
