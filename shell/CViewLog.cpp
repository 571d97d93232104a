#include "shell/CViewLog.h"

#include "shell/ShellTexts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnwick::shell {

CViewLog::CViewLog(bool completed, const QString& reportPath, QWidget* parent)
    : CSkinnedDialog(kDialogSkinFile, parent) {
  setObjectName("resultDialog");
  label_ = new QLabel(completed ? kSavingCompleted : kSavingAborted, this);
  label_->setObjectName("result");
  QFont font("Arial Unicode MS", 10);
  font.setBold(true);
  label_->setFont(font);
  label_->setStyleSheet("color: black");
  label_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 16);
  layout->addWidget(label_);
  if (!reportPath.isEmpty()) {
    auto* report = new QLabel(QString("Report: %1").arg(reportPath), this);
    report->setObjectName("reportPath");
    report->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report->setWordWrap(true);
    layout->addWidget(report);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(380, 150);
}

QString CViewLog::resultText() const { return label_->text(); }

}  // namespace tarnwick::shell
