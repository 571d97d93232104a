#include "shell/SourceDialog.h"

#include "platform/AppText.h"
#include "shell/ShellSession.h"
#include "shell/ShellTexts.h"
#include "shell/SourceSelection.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick::shell {

SourceDialog::SourceDialog(ShellSession& session, QWidget* parent)
    : SkinnedDialog(kSourceSkinFile, parent), session_(session) {
  setObjectName("sourceDialog");
  auto* frame = new QGroupBox(kSelectSourceFrame, this);
  auto* grid = new QGridLayout(frame);
  databaseEdit_ = new QLineEdit(frame);
  databaseEdit_->setObjectName("databasePath");
  streamingEdit_ = new QLineEdit(frame);
  streamingEdit_->setObjectName("streamingPath");
  auto* browseDatabaseButton = new QPushButton(kBrowseButton, frame);
  browseDatabaseButton->setObjectName("browseDatabase");
  auto* browseStreamingButton = new QPushButton(kBrowseButton, frame);
  browseStreamingButton->setObjectName("browseStreaming");
  auto* databaseLabel = new QLabel(kSelectEdbLabel, frame);
  databaseLabel->setBuddy(databaseEdit_);
  auto* streamingLabel = new QLabel(kSelectStmLabel, frame);
  streamingLabel->setBuddy(streamingEdit_);
  grid->addWidget(databaseLabel, 0, 0);
  grid->addWidget(databaseEdit_, 0, 1);
  grid->addWidget(browseDatabaseButton, 0, 2);
  grid->addWidget(streamingLabel, 1, 0);
  grid->addWidget(streamingEdit_, 1, 1);
  grid->addWidget(browseStreamingButton, 1, 2);
  grid->setColumnMinimumWidth(1, 320);

  nextButton_ = new QPushButton(kNextButton, this);
  nextButton_->setObjectName("next");
  nextButton_->setDefault(true);
  auto* cancelButton = new QPushButton(kCancelButton, this);
  cancelButton->setObjectName("cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(nextButton_);
  buttons->addWidget(cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->addWidget(frame);
  layout->addStretch();
  layout->addLayout(buttons);

  setTabOrder(databaseEdit_, browseDatabaseButton);
  setTabOrder(browseDatabaseButton, streamingEdit_);
  setTabOrder(streamingEdit_, browseStreamingButton);
  setTabOrder(browseStreamingButton, nextButton_);
  setTabOrder(nextButton_, cancelButton);

  connect(browseDatabaseButton, &QPushButton::clicked, this, &SourceDialog::browseDatabase);
  connect(browseStreamingButton, &QPushButton::clicked, this, &SourceDialog::browseStreaming);
  connect(nextButton_, &QPushButton::clicked, this, &SourceDialog::next);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  resize(560, 230);
}

void SourceDialog::databaseChosen(const QString& path) {
  databaseEdit_->setText(path);
  const std::string streaming = findStreamingFile(path.toStdString());
  if (!streaming.empty()) streamingEdit_->setText(QString::fromStdString(streaming));
}

void SourceDialog::browseDatabase() {
  const QString path = QFileDialog::getOpenFileName(this, kOpenEdbTitle, databaseEdit_->text(), kEdbFilter);
  if (path.isEmpty()) {
    databaseEdit_->clear();
    return;
  }
  databaseChosen(path);
}

void SourceDialog::browseStreaming() {
  const QString path = QFileDialog::getOpenFileName(this, kOpenStmTitle, streamingEdit_->text(), kStmFilter);
  if (path.isEmpty()) {
    streamingEdit_->clear();
    return;
  }
  streamingEdit_->setText(path);
}

void SourceDialog::refuse(const std::string& text) {
  Message message;
  message.text = text;
  message.caption = kMessageCaption;
  message.icon = MessageIcon::Warning;
  session_.sink().show(message);
}

void SourceDialog::next() {
  if (session_.files().database.IsOpen()) {
    Message question;
    question.text = kNewSourceQuestion;
    question.caption = kMessageCaption;
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.systemModal = true;
    if (session_.sink().show(question) != MessageAnswer::Yes) return;
  }
  const std::string database = databaseEdit_->text().toStdString();
  const std::string streaming = streamingEdit_->text().toStdString();
  const SourceCheck check = checkSourcePaths(database, streaming);
  if (check != SourceCheck::Accepted) {
    refuse(sourceCheckMessage(check));
    return;
  }
  const store::PairOpenResult opened = session_.core().openFiles(database, streaming);
  if (!opened.opened) {
    refuse(openFailureMessage(opened));
    return;
  }
  Q_EMIT sourceOpened();
  hide();
  if (session_.analyse && !session_.analyse(parentWidget())) store::closeStoreFiles(session_.files());
  accept();
}

}  // namespace tarnwick::shell
