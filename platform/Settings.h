#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

// The one persistent setting: the installation folder, value "FilePath" in section
// [TKEDB_PST] of an INI file (the format Qt's QSettings reads and writes) at
// $XDG_CONFIG_HOME/tarnwick/tarnwick.ini, or ~/.config/tarnwick/tarnwick.ini.
std::filesystem::path settingsFilePath();

// The stored installation folder; empty when the file or the value is missing.
std::string readInstallationFolder();
std::string readInstallationFolder(const std::filesystem::path& settingsFile);

// Stores the installation folder, keeping the file's other lines; false when the file
// cannot be written.
bool writeInstallationFolder(const std::string& folder);
bool writeInstallationFolder(const std::filesystem::path& settingsFile, const std::string& folder);

}  // namespace tarnwick
