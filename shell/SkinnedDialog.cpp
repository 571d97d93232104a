#include "shell/SkinnedDialog.h"

#include "platform/AppText.h"
#include "shell/InstallationFolder.h"

#include <QFileInfo>
#include <QPainter>

namespace tarnwick::shell {

SkinnedDialog::SkinnedDialog(const QString& skinFileName, QWidget* parent) : QDialog(parent) {
  const QString path = installationFile(skinFileName);
  if (QFileInfo(path).isFile()) skin_.load(path);
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void SkinnedDialog::paintEvent(QPaintEvent* event) {
  if (skin_.isNull()) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, skin_);
}

}  // namespace tarnwick::shell
