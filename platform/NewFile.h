#pragma once

#include <filesystem>
#include <string_view>

namespace tarnwick {

// Creates `path` new (never a file or link that is already there) and writes `bytes` into
// it. Returns 0; EEXIST when the name is taken (nothing is written then); or the error that
// stopped the write, after which the half-written file is removed.
int writeNewFileAt(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tarnwick
