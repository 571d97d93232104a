#include "shell/HelpLauncher.h"

#include "shell/InstallationFolder.h"
#include "shell/ShellTexts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tarnwick::shell {

QString ManualPath() {
  for (const QString& folder : {InstallationFolder(), QCoreApplication::applicationDirPath()}) {
    const QString path = QDir(folder).filePath(kManualFileName);
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

bool OpenManual() {
  const QString path = ManualPath();
  return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tarnwick::shell
