#pragma once

#include <QString>

namespace tarnwick::shell {

// The installation folder: the stored setting, or, when there is none, the folder of the
// program itself (where the build puts the skins and the manual).
QString installationFolder();

// A file of the installation folder.
QString installationFile(const QString& name);

}  // namespace tarnwick::shell
