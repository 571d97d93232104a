#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QTextBrowser;

namespace tarnwick::shell {

// The preview at the bottom right: Subject, From, Date, To and Attachments above the
// message's body, with the property summary of contacts and appointments at its left.
class PreviewBody : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewBody(QWidget* parent = nullptr);

  // Empties every text and hides the body, the attachments and the summary.
  void clearPreview();

  QLabel* subjectText() const { return subject_; }
  QLabel* fromText() const { return from_; }
  QLabel* dateText() const { return date_; }
  QLabel* toText() const { return to_; }
  QLabel* attachmentsText() const { return attachments_; }
  QTextBrowser* body() const { return body_; }
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
  QTextBrowser* body_;
  QListWidget* summary_;
  bool showing_ = false;
};

}  // namespace tarnwick::shell
