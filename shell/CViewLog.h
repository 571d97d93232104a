#pragma once

#include "shell/CSkinnedDialog.h"

class QLabel;

namespace tarnwick::shell {

// The result shown after a save: whether it ran to its end or was stopped, and where its
// report was written.
class CViewLog : public CSkinnedDialog {
  Q_OBJECT

 public:
  CViewLog(bool completed, const QString& reportPath, QWidget* parent = nullptr);
  QString resultText() const;

 private:
  QLabel* label_;
};

}  // namespace tarnwick::shell
