#include "shell/InstallationFolder.h"

#include "platform/Settings.h"

#include <QCoreApplication>
#include <QDir>

namespace tarnwick::shell {

QString InstallationFolder() {
  const QString stored = QString::fromStdString(ReadInstallationFolder());
  if (!stored.isEmpty()) return stored;
  return QCoreApplication::applicationDirPath();
}

QString InstallationFile(const QString& name) { return QDir(InstallationFolder()).filePath(name); }

}  // namespace tarnwick::shell
