#pragma once

#include <QStringList>
#include <QWidget>

#include <filesystem>

class QLabel;
class QListWidget;

namespace tarnwick::shell {

class SafeTextBrowser;

// What the preview shows of one message.
struct PreviewContent {
  QString from;
  QString date;
  QString to;
  QString subject;
  QString attachments;           // empty hides the attachment line
  std::filesystem::path bodyPath;  // empty: no body
  bool rtf = false;
  char kind = 'd';  // 'a' appointment, 'c' contact (with the summary at the left), 'd' other
  QStringList summary;
};

// The preview at the bottom right: Subject, From, Date, To and Attachments above the
// message's body, with the property summary of contacts and appointments at its left.
class PreviewBody : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewBody(QWidget* parent = nullptr);

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
  QListWidget* summary_;
  bool showing_ = false;
};

}  // namespace tarnwick::shell
