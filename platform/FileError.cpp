#include "platform/FileError.h"

#include <cstring>

namespace tarnwick {

FileError::FileError(int osError, std::string path, const std::string& what)
    : std::runtime_error(what + " '" + path + "': " + std::strerror(osError)),
      osError_(osError),
      path_(std::move(path)) {}

}  // namespace tarnwick
