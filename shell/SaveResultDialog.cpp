#include "shell/SaveResultDialog.h"

#include "export/SaveEngine.h"
#include "shell/ShellTexts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnwick::shell {

namespace {

QLabel* detail(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  label->setStyleSheet("color: black");
  return label;
}

QString totalsOf(const exporter::SaveResult& result) {
  const auto t = result.report.totals();
  QString text = QString("Written %1 of %2 items").arg(t.written).arg(t.counted);
  QStringList notes;
  if (t.leftOut) notes << QString("%1 left out by date").arg(t.leftOut);
  if (t.failed) notes << QString("%1 failed").arg(t.failed);
  if (t.skipped) notes << QString("%1 skipped").arg(t.skipped);
  if (t.notReached) notes << QString("%1 not reached").arg(t.notReached);
  if (!notes.isEmpty()) text += "; " + notes.join(", ");
  return text + ".";
}

}  // namespace

SaveResultDialog::SaveResultDialog(bool completed, const QString& reportPath, QWidget* parent)
    : SkinnedDialog(kDialogSkinFile, parent) {
  build(completed ? kSavingCompleted : kSavingAborted, {},
        reportPath.isEmpty() ? QString() : QString("Report: %1").arg(reportPath));
}

SaveResultDialog::SaveResultDialog(const exporter::SaveResult& result, QWidget* parent)
    : SkinnedDialog(kDialogSkinFile, parent) {
  QString report;
  if (!result.reportError.empty())
    report = QString::fromStdString(result.reportError);
  else if (!result.reportText.empty())
    report = QString("Report: %1").arg(QString::fromStdString(result.reportText.string()));
  build(QString::fromUtf8(exporter::saveResultText(result)), totalsOf(result), report);
}

void SaveResultDialog::build(const QString& result, const QString& totals, const QString& report) {
  setObjectName("resultDialog");
  label_ = new QLabel(result, this);
  label_->setObjectName("result");
  QFont font("Arial Unicode MS", 10);
  font.setBold(true);
  label_->setFont(font);
  label_->setStyleSheet("color: black");
  label_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 16);
  layout->addWidget(label_);
  if (!totals.isEmpty()) {
    totals_ = detail(totals, "totals", this);
    layout->addWidget(totals_);
  }
  if (!report.isEmpty()) {
    report_ = detail(report, "reportPath", this);
    layout->addWidget(report_);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(420, 170);
}

QString SaveResultDialog::resultText() const { return label_->text(); }
QString SaveResultDialog::totalsText() const { return totals_ ? totals_->text() : QString(); }
QString SaveResultDialog::reportText() const { return report_ ? report_->text() : QString(); }

}  // namespace tarnwick::shell
