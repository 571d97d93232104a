#pragma once

#include <QString>

namespace tarnwick::shell {

// The user manual: manual.html of the installation folder, else the one beside the
// program. Empty when neither exists.
QString manualPath();

// Opens the manual in the desktop's browser; false when there is no manual or no browser
// would take it.
bool openManual();

}  // namespace tarnwick::shell
