#pragma once

#include "shell/SkinnedDialog.h"

class QLineEdit;
class QPushButton;

namespace tarnwick::shell {

class ShellSession;

// The dialog in which the user names the database file and its streaming file. Next
// checks both paths, opens the files and runs the analysis; Cancel leaves everything as it
// was.
class SourceDialog : public SkinnedDialog {
  Q_OBJECT

 public:
  explicit SourceDialog(ShellSession& session, QWidget* parent = nullptr);

  QLineEdit* databaseEdit() const { return databaseEdit_; }
  QLineEdit* streamingEdit() const { return streamingEdit_; }
  QPushButton* nextButton() const { return nextButton_; }

  // A database was chosen: put it in its box and look for its streaming file.
  void databaseChosen(const QString& path);

 public Q_SLOTS:
  void browseDatabase();
  void browseStreaming();
  void next();

 Q_SIGNALS:
  // The source was opened; the analysis is about to run (the owner clears its views).
  void sourceOpened();

 private:
  void refuse(const std::string& text);

  ShellSession& session_;
  QLineEdit* databaseEdit_;
  QLineEdit* streamingEdit_;
  QPushButton* nextButton_;
};

}  // namespace tarnwick::shell
