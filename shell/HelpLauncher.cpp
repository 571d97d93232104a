#include "shell/HelpLauncher.h"

#include "shell/InstallationFolder.h"
#include "shell/ShellTexts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tarnwick::shell {

QString manualPath() {
  for (const QString& folder : {installationFolder(), QCoreApplication::applicationDirPath()}) {
    const QString path = QDir(folder).filePath(kManualFileName);
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

bool openManual() {
  const QString path = manualPath();
  return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tarnwick::shell
