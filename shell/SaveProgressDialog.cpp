#include "shell/SaveProgressDialog.h"

#include "shell/ShellTexts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick::shell {

namespace {

QLabel* caption(const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font("Arial Unicode MS");
  font.setBold(true);
  label->setFont(font);
  return label;
}

QProgressBar* bar(const char* name, QWidget* parent) {
  auto* progress = new QProgressBar(parent);
  progress->setObjectName(name);
  progress->setRange(0, 100);
  progress->setValue(0);
  return progress;
}

}  // namespace

SaveProgressDialog::SaveProgressDialog(Hooks hooks, QWidget* parent)
    : SkinnedDialog(kDialogSkinFile, parent), hooks_(std::move(hooks)) {
  setObjectName("saveDialog");
  setModal(true);
  auto* frame = new QGroupBox("Saving, Please Wait...", this);
  folder_ = new QLabel(frame);
  folder_->setObjectName("currentFolder");
  folder_->setTextFormat(Qt::PlainText);
  folder_->setMinimumWidth(360);
  written_ = new QLabel("0", frame);
  written_->setObjectName("written");
  count_ = new QLabel("0", frame);
  count_->setObjectName("count");
  auto* counters = new QHBoxLayout;
  counters->addWidget(written_);
  counters->addWidget(new QLabel("/", frame));
  counters->addWidget(count_);
  counters->addStretch();
  current_ = bar("current", frame);
  overall_ = bar("overall", frame);
  counting_ = new QLabel(kCountingText, frame);
  counting_->setObjectName("counting");
  counting_->hide();
  attachments_ = new QLabel(kAttachmentsText, frame);
  attachments_->setObjectName("attachments");
  attachments_->hide();

  auto* grid = new QGridLayout(frame);
  grid->addWidget(caption("Current Folder :", frame), 0, 0);
  grid->addWidget(folder_, 0, 1);
  grid->addWidget(caption("Save Mails :", frame), 1, 0);
  grid->addLayout(counters, 1, 1);
  grid->addWidget(caption("Current :", frame), 2, 0);
  grid->addWidget(current_, 2, 1);
  grid->addWidget(caption("Overall :", frame), 3, 0);
  grid->addWidget(overall_, 3, 1);
  grid->addWidget(counting_, 4, 0, 1, 2);
  grid->addWidget(attachments_, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);

  skip_ = new QPushButton("Skip", this);
  skip_->setObjectName("skip");
  skip_->setAutoDefault(false);
  stop_ = new QPushButton("Stop", this);
  stop_->setObjectName("stop");
  stop_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(skip_);
  buttons->addWidget(stop_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  resize(560, 280);

  connect(stop_, &QPushButton::clicked, this, &SaveProgressDialog::abortPrompt);
  connect(skip_, &QPushButton::clicked, this, [this] {
    if (hooks_.skip) hooks_.skip();
  });
  for (QWidget* w : {static_cast<QWidget*>(skip_), static_cast<QWidget*>(stop_)}) w->installEventFilter(this);
  installEventFilter(this);
}

void SaveProgressDialog::showCounting(bool visible) { counting_->setVisible(visible); }
void SaveProgressDialog::setCurrentFolder(const QString& path) { folder_->setText(path); }
void SaveProgressDialog::setCounters(quint32 written, quint32 count) {
  written_->setText(QString::number(written));
  count_->setText(QString::number(count));
}
void SaveProgressDialog::setCurrentProgress(int percent) { current_->setValue(percent); }
void SaveProgressDialog::setOverallProgress(int percent) { overall_->setValue(percent); }
void SaveProgressDialog::showAttachments(bool visible) { attachments_->setVisible(visible); }

void SaveProgressDialog::finish(bool setupFailed) {
  finished_ = true;
  if (setupFailed)
    QDialog::reject();
  else
    accept();
}

void SaveProgressDialog::abortPrompt() {
  if (finished_ || !hooks_.askAbort) return;
  hooks_.askAbort();
}

void SaveProgressDialog::reject() { abortPrompt(); }

void SaveProgressDialog::closeEvent(QCloseEvent* event) {
  if (finished_) {
    event->accept();
    return;
  }
  event->ignore();
  abortPrompt();
}

bool SaveProgressDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: return true;
      case Qt::Key_Escape:
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down: abortPrompt(); return true;
      default: break;
    }
  }
  return SkinnedDialog::eventFilter(watched, event);
}

}  // namespace tarnwick::shell
