#pragma once

#include "shell/SkinnedDialog.h"

class QLabel;

namespace tarnwick::exporter {
struct SaveResult;
}

namespace tarnwick::shell {

// The result shown after a save: whether it ran to its end or was stopped, what it wrote
// and left out, and where its report was written.
class SaveResultDialog : public SkinnedDialog {
  Q_OBJECT

 public:
  SaveResultDialog(bool completed, const QString& reportPath, QWidget* parent = nullptr);
  explicit SaveResultDialog(const exporter::SaveResult& result, QWidget* parent = nullptr);
  QString resultText() const;
  // The figures of the save ("Written 12 of 12 items ..."); empty without a result.
  QString totalsText() const;
  // Where the report went, or why it could not be written.
  QString reportText() const;

 private:
  void build(const QString& result, const QString& totals, const QString& report);

  QLabel* label_ = nullptr;
  QLabel* totals_ = nullptr;
  QLabel* report_ = nullptr;
};

}  // namespace tarnwick::shell
