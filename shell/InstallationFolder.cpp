#include "shell/InstallationFolder.h"

#include "platform/Settings.h"

#include <QCoreApplication>
#include <QDir>

namespace tarnwick::shell {

QString installationFolder() {
  const QString stored = QString::fromStdString(readInstallationFolder());
  if (!stored.isEmpty()) return stored;
  return QCoreApplication::applicationDirPath();
}

QString installationFile(const QString& name) { return QDir(installationFolder()).filePath(name); }

}  // namespace tarnwick::shell
