#pragma once

#include <filesystem>
#include <string_view>

namespace tarnwick {

// The process's private folder for working files: made on first use inside $TMPDIR (or
// /tmp) with mode 0700 and removed with its contents when the process exits. Throws
// std::runtime_error naming the parent folder when it cannot be made.
const std::filesystem::path& privateTempDirectory();

// A path for the working file `name` inside the private folder.
std::filesystem::path tempFilePath(std::string_view name);

}  // namespace tarnwick
