#pragma once

#include "content/PreviewKind.h"

#include <QStringList>
#include <QWidget>

#include <filesystem>

class QLabel;
class QListWidget;
class QToolButton;

namespace tarnwick::shell {

class SafeTextBrowser;

// What the preview shows of one message.
struct PreviewContent {
  QString from;
  QString date;
  QString to;
  QString subject;
  QString attachments;             // empty hides the attachment line
  QStringList attachmentNames;     // each attachment, for "Save Attachment..."
  std::filesystem::path bodyPath;  // empty: no body
  bool rtf = false;
  content::PreviewKind kind = content::PreviewKind::Other;  // contacts and appointments show the summary at the left
  QStringList summary;
  std::size_t item = 0;  // the message's place in the model's message list
};

// The preview at the bottom right: Subject, From, Date, To and Attachments above the
// message's body, with the property summary of contacts and appointments at its left.
class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  // Empties every text and hides the body, the attachments and the summary.
  void clearPreview();
  // Fills the pane; a body file that cannot be read leaves the body area hidden.
  void showPreview(const PreviewContent& content);

  QLabel* subjectText() const { return subject_; }
  QLabel* fromText() const { return from_; }
  QLabel* dateText() const { return date_; }
  QLabel* toText() const { return to_; }
  QLabel* attachmentsText() const { return attachments_; }
  SafeTextBrowser* body() const { return body_; }
  QListWidget* summary() const { return summary_; }
  QToolButton* saveAttachmentButton() const { return saveAttachment_; }
  QToolButton* saveMessageButton() const { return saveMessage_; }
  // The body file shown (text, HTML, RTF or the Internet message); empty when none is.
  const std::filesystem::path& bodyFile() const { return bodyFile_; }
  // The streamed message shown, as its Internet message file; empty for other bodies.
  const std::filesystem::path& messageFile() const { return messageFile_; }
  // Copies the streamed message shown to `path`; false when there is none or the copy failed.
  bool saveMessageTo(const QString& path) const;

 Q_SIGNALS:
  // The user asked to save attachment `index` (named `name`) of the message shown.
  void saveAttachmentRequested(int index, const QString& name);
  // The user asked to save the message shown as an .eml file.
  void saveMessageRequested();

 public:
  bool showing() const { return showing_; }

 protected:
  QLabel* caption(const char* text);

  QLabel* subject_;
  QLabel* from_;
  QLabel* date_;
  QLabel* to_;
  QLabel* attachmentsCaption_;
  QLabel* attachments_;
  SafeTextBrowser* body_;
  QToolButton* saveAttachment_;
  QToolButton* saveMessage_;
  std::filesystem::path messageFile_;
  std::filesystem::path bodyFile_;
  QListWidget* summary_;
  bool showing_ = false;
};

}  // namespace tarnwick::shell
