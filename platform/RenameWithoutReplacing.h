#pragma once

#include <filesystem>

namespace tarnwick {

// Renames `from` (a file or a folder) to `to` only when nothing is named `to` yet, in one
// step where the file system allows it. Returns 0, EEXIST when `to` is taken, or the
// error of the rename.
int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tarnwick
