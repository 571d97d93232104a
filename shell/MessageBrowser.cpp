#include "shell/MessageBrowser.h"

#include "content/AttachmentData.h"
#include "content/MessageListFill.h"
#include "content/PreviewAssembly.h"
#include "platform/AppText.h"
#include "platform/TempDirectory.h"
#include "shell/FolderTreeView.h"
#include "shell/MessageListView.h"
#include "shell/ShellSession.h"

#include <QFile>
#include <QProgressBar>
#include <QTreeWidget>

#include <exception>
#include <fstream>

namespace tarnwick::shell {

namespace {

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

MessageBrowser::MessageBrowser(ShellSession& session, FolderTreeView& tree, MessageListView& list, PreviewPane& body,
                               QProgressBar& progress, QObject* parent)
    : QObject(parent), session_(session), tree_(tree), list_(list), body_(body), progress_(progress) {
  qRegisterMetaType<std::vector<content::MessageRow>>();
  qRegisterMetaType<PreviewContent>();
  connect(this, &MessageBrowser::fillProgress, &progress_, &QProgressBar::setValue);
  connect(this, &MessageBrowser::fillFinished, this, &MessageBrowser::onFillFinished);
  connect(this, &MessageBrowser::previewFinished, this, &MessageBrowser::onPreviewFinished);
}

MessageBrowser::~MessageBrowser() { waitForWorkers(); }

void MessageBrowser::waitForWorkers() {
  stop_.store(true);
  for (QThread** thread : {&fillThread_, &previewThread_}) {
    if (*thread) {
      (*thread)->wait();
      delete *thread;
      *thread = nullptr;
    }
  }
}

void MessageBrowser::storeAnalysed(const analysis::ScanResult& result) {
  waitForWorkers();
  session_.core().useAnalysis(result);
  listed_ = 0;
  shownItem_.reset();
  list_.clearRows();
  body_.clearPreview();
}

content::FolderLoader* MessageBrowser::loader() { return session_.core().loader(); }

const store::ByteSource* MessageBrowser::database() const { return session_.core().database(); }

const store::ByteSource* MessageBrowser::streaming() const { return session_.core().streaming(); }

const store::StoreGeometry& MessageBrowser::geometry() const { return session_.core().geometry(); }

void MessageBrowser::showError(const QString& text) {
  Message message;
  message.text = text.toStdString();
  message.caption = kMessageCaption;
  message.icon = MessageIcon::Error;
  session_.sink().show(message);
}

bool MessageBrowser::startFill(analysis::TreeItemHandle item, const QString& mailboxText) {
  if (fillThread_ || previewThread_) {
    tree_.reselect(listed_);
    return false;
  }
  if (item == listed_) return false;
  listed_ = item;
  mailboxText_ = mailboxText;
  shownItem_.reset();
  body_.clearPreview();
  list_.clearRows();
  try {
    content::deletePreviewBodyFiles(privateTempDirectory());
  } catch (const std::exception&) {
    // No working folder: there are no body files to delete either.
  }
  const analysis::FolderNode* node = session_.core().folderOfTreeItem(item);
  if (!node || !session_.core().loader()) return true;

  const analysis::FolderNode folder = *node;
  const std::u16string mailbox = mailboxText.toStdU16String();
  stop_.store(false);
  session_.work().setRunning(WorkState::Worker::ListFill, true);
  progress_.setValue(0);
  progress_.show();
  fillThread_ = QThread::create([this, folder, mailbox] {
    std::vector<content::MessageRow> rows;
    try {
      content::LoadControl control;
      control.stop = &stop_;
      control.progress = [this](std::size_t done, std::size_t total) {
        Q_EMIT fillProgress(total ? static_cast<int>(done * 100 / total) : 0);
      };
      const bool finished = session_.core().loadFolder(folder, control);
      rows = content::buildMessageRows(session_.model().messages, folder, mailbox, *session_.core().database(),
                                       session_.core().geometry(), &stop_);
      Q_EMIT fillFinished(rows, !finished || stop_.load(), {});
    } catch (const std::exception& error) {
      Q_EMIT fillFinished(rows, false, QString::fromStdString(error.what()));
    }
  });
  fillThread_->start();
  return true;
}

bool MessageBrowser::relist() {
  if (listed_ == 0 || fillThread_ || previewThread_) return false;
  const analysis::TreeItemHandle item = listed_;
  listed_ = 0;
  return startFill(item, mailboxText_);
}

void MessageBrowser::onFillFinished(const std::vector<content::MessageRow>& rows, bool, const QString& error) {
  fillThread_->wait();
  delete fillThread_;
  fillThread_ = nullptr;
  stop_.store(false);
  progress_.hide();
  progress_.setValue(0);
  QList<MessageListView::Row> shown;
  shown.reserve(static_cast<qsizetype>(rows.size()));
  for (const content::MessageRow& row : rows) {
    MessageListView::Row r;
    r.icon = row.icon;
    r.attachment = row.attachmentMark;
    r.from = qs(row.from);
    r.subject = qs(row.subject);
    r.date = qs(row.date);
    r.sortDate = qs(row.sort.date);
    r.messageId = QByteArray(reinterpret_cast<const char*>(row.sort.messageId.bytes.data()),
                             static_cast<qsizetype>(row.sort.messageId.bytes.size()));
    shown.append(r);
  }
  list_.setRows(shown);
  session_.work().setRunning(WorkState::Worker::ListFill, false);
  if (!error.isEmpty()) showError(error);
}

bool MessageBrowser::startPreview(QTreeWidgetItem* row) {
  if (!row || fillThread_ || previewThread_ || !session_.core().loader()) return false;
  const analysis::FolderNode* node = session_.core().folderOfTreeItem(listed_);
  if (!node) return false;
  const QByteArray id = MessageListView::messageIdOf(row);
  const analysis::MessageId messageId = analysis::MessageId::fromBytes(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(id.constData()), static_cast<std::size_t>(id.size())));
  const auto index = session_.core().findListedItem(*node, messageId);
  if (!index) return false;

  const analysis::FolderNode folder = *node;
  const std::u16string from = row->text(MessageListView::FromColumn).toStdU16String();
  const std::u16string subject = row->text(MessageListView::SubjectColumn).toStdU16String();
  const std::u16string date = row->text(MessageListView::DateColumn).toStdU16String();
  const std::size_t item = *index;
  stop_.store(false);
  session_.work().setRunning(WorkState::Worker::BodyLoad, true);
  session_.work().setListBusy(true);
  previewThread_ = QThread::create([this, folder, from, subject, date, item] {
    try {
      content::LoadControl control;
      control.stop = &stop_;
      session_.core().loadItem(folder, item, control);
      QMetaObject::invokeMethod(
          this, [this] { session_.work().setListBusy(false); }, Qt::QueuedConnection);
      const content::PreviewSources sources{*session_.core().database(), session_.core().streaming(),
                                            session_.core().geometry(), privateTempDirectory()};
      const content::PreviewData data = content::assemblePreview(session_.model().messages[item], folder.kind, from,
                                                                 subject, date, sources, mhtNaming_);
      PreviewContent preview;
      preview.from = qs(data.from);
      preview.date = qs(data.date);
      preview.to = qs(data.to);
      preview.subject = qs(data.subject);
      preview.attachments = qs(data.attachments);
      for (const analysis::AttachmentItem& attachment : session_.model().messages[item].attachments)
        preview.attachmentNames << qs(attachment.fileName);
      preview.bodyPath = data.bodyPath;
      preview.rtf = data.rtf;
      preview.kind = data.kind;
      for (const std::u16string& line : data.summaryLines) preview.summary << qs(line);
      preview.item = item;
      Q_EMIT previewFinished(preview, {});
    } catch (const std::exception& error) {
      Q_EMIT previewFinished(PreviewContent{}, QString::fromStdString(error.what()));
    }
  });
  previewThread_->start();
  return true;
}

void MessageBrowser::onPreviewFinished(const PreviewContent& content, const QString& error) {
  previewThread_->wait();
  delete previewThread_;
  previewThread_ = nullptr;
  stop_.store(false);
  session_.work().setListBusy(false);
  session_.work().setRunning(WorkState::Worker::BodyLoad, false);
  if (!error.isEmpty()) {
    showError(error);
    return;
  }
  shownItem_ = content.item;
  body_.showPreview(content);
  list_.rows()->setFocus();
}

bool MessageBrowser::saveAttachment(int index, const QString& path) {
  if (!shownItem_ || fillThread_ || previewThread_ || *shownItem_ >= session_.model().messages.size()) return false;
  const analysis::MessageItem& item = session_.model().messages[*shownItem_];
  if (index < 0 || static_cast<std::size_t>(index) >= item.attachments.size()) return false;
  try {
    const auto data = content::readAttachmentData(*session_.core().database(), session_.core().geometry(),
                                                  item.attachments[index], tempFilePath("tempB.img"));
    if (!data) return false;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return out.write(reinterpret_cast<const char*>(data->data()), static_cast<qint64>(data->size())) ==
           static_cast<qint64>(data->size());
  } catch (const std::exception& error) {
    showError(QString::fromStdString(error.what()));
    return false;
  }
}

}  // namespace tarnwick::shell
