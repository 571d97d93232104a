#include "shell/PreviewPane.h"

#include "shell/BodyDocument.h"
#include "shell/SafeTextBrowser.h"

#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarnwick::shell {

namespace {

QLabel* text(QWidget* parent, const char* name, int points, bool bold) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPointSize(points);
  font.setBold(bold);
  label->setFont(font);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setTextFormat(Qt::PlainText);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return label;
}

}  // namespace

QLabel* PreviewPane::caption(const char* captionText) {
  auto* label = new QLabel(captionText, this);
  QFont font = label->font();
  font.setPointSize(10);
  label->setFont(font);
  label->setStyleSheet("color: rgb(0, 0, 255)");
  return label;
}

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent) {
  setObjectName("preview");
  subject_ = text(this, "subject", 10, true);
  from_ = text(this, "from", 9, false);
  date_ = text(this, "date", 9, false);
  to_ = text(this, "to", 9, false);
  attachments_ = text(this, "attachments", 9, false);
  auto* header = new QGridLayout;
  header->setHorizontalSpacing(10);
  header->setVerticalSpacing(1);
  header->addWidget(caption("Subject :"), 0, 0);
  header->addWidget(subject_, 0, 1);
  header->addWidget(caption("From :"), 1, 0);
  header->addWidget(from_, 1, 1);
  header->addWidget(caption("Date :"), 2, 0);
  header->addWidget(date_, 2, 1);
  header->addWidget(caption("To :"), 3, 0);
  header->addWidget(to_, 3, 1);
  attachmentsCaption_ = caption("Attachments :");
  header->addWidget(attachmentsCaption_, 4, 0);
  header->addWidget(attachments_, 4, 1);
  header->setColumnStretch(1, 1);
  saveAttachment_ = new QToolButton(this);
  saveAttachment_->setObjectName("saveAttachment");
  saveAttachment_->setText("Save Attachment...");
  saveAttachment_->setPopupMode(QToolButton::InstantPopup);
  saveAttachment_->setMenu(new QMenu(saveAttachment_));
  saveMessage_ = new QToolButton(this);
  saveMessage_->setObjectName("saveMessage");
  saveMessage_->setText("Save Message...");
  saveMessage_->setToolTip("Save the message as an .eml file");
  connect(saveMessage_, &QToolButton::clicked, this, [this] { Q_EMIT saveMessageRequested(); });
  auto* actions = new QHBoxLayout;
  actions->addWidget(saveAttachment_);
  actions->addWidget(saveMessage_);
  actions->addStretch();
  header->addLayout(actions, 5, 1);

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  summary_ = new QListWidget(this);
  summary_->setObjectName("summary");
  // In the order the item gives its lines: sorted, a value's further lines would leave
  // their label and End Date would come before Start Date.
  summary_->setSortingEnabled(false);
  summary_->setFixedWidth(410);
  body_ = new SafeTextBrowser(this);
  body_->setObjectName("body");
  body_->setOpenLinks(false);
  auto* bodies = new QHBoxLayout;
  bodies->setContentsMargins(0, 0, 0, 0);
  bodies->addWidget(summary_);
  bodies->addWidget(body_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 4, 4);
  layout->addLayout(header);
  layout->addWidget(separator);
  layout->addLayout(bodies, 1);
  clearPreview();
}

void PreviewPane::clearPreview() {
  showing_ = false;
  attachmentsCaption_->hide();
  attachments_->hide();
  for (QLabel* label : {from_, date_, to_, subject_, attachments_}) label->clear();
  body_->clear();
  body_->hide();
  summary_->clear();
  summary_->hide();
  saveAttachment_->menu()->clear();
  saveAttachment_->hide();
  saveMessage_->hide();
  messageFile_.clear();
  bodyFile_.clear();
}

bool PreviewPane::saveMessageTo(const QString& path) const {
  if (messageFile_.empty()) return false;
  QFile::remove(path);
  return QFile::copy(QString::fromStdString(messageFile_.string()), path);
}

}  // namespace tarnwick::shell

namespace tarnwick::shell {

void PreviewPane::showPreview(const PreviewContent& content) {
  clearPreview();
  showing_ = true;
  from_->setText(content.from);
  date_->setText(content.date);
  to_->setText(content.to);
  subject_->setText(content.subject);
  attachments_->setText(content.attachments);
  attachmentsCaption_->setVisible(!content.attachments.isEmpty());
  attachments_->setVisible(!content.attachments.isEmpty());
  for (int i = 0; i < content.attachmentNames.size(); ++i) {
    const QString name = content.attachmentNames[i];
    saveAttachment_->menu()->addAction(name, this, [this, i, name] { Q_EMIT saveAttachmentRequested(i, name); });
  }
  saveAttachment_->setVisible(!content.attachmentNames.isEmpty());
  if (!content.rtf) {
    std::string ext = content.bodyPath.extension().string();
    if (ext == ".mht" || ext == ".eml") messageFile_ = content.bodyPath;
  }
  saveMessage_->setVisible(!messageFile_.empty());
  if (content.kind != content::PreviewKind::Other) {
    summary_->addItems(content.summary);
    summary_->show();
  }
  if (content.bodyPath.empty()) {
    showing_ = summary_->isVisible();
    return;
  }
  BodyDocument doc = loadBodyDocument(content.bodyPath, content.rtf);
  if (!doc.valid) {
    showing_ = summary_->isVisible();
    return;
  }
  bodyFile_ = content.bodyPath;
  body_->setInlineParts(std::move(doc.inlineParts));
  if (doc.html)
    body_->setHtml(doc.text);
  else
    body_->setPlainText(doc.text);
  body_->show();
}

}  // namespace tarnwick::shell
