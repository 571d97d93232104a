#include "platform/Settings.h"

#include "platform/AppText.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace tarnwick {
namespace {

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string sectionLine() { return std::string("[") + kProductKey + "]"; }

// A value as QSettings writes it: optionally in double quotes, with backslash escapes.
std::string unquote(const std::string& raw) {
  std::string value = raw;
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      ++i;
      out.push_back(value[i] == 't' ? '\t' : value[i] == 'n' ? '\n' : value[i]);
    } else {
      out.push_back(value[i]);
    }
  }
  return out;
}

std::string quote(const std::string& value) {
  std::string out = "\"";
  for (char c : value) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

}  // namespace

std::filesystem::path settingsFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path base;
  if (xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr ? home : "") / ".config";
  }
  return base / "tarnwick" / "tarnwick.ini";
}

std::string readInstallationFolder() { return readInstallationFolder(settingsFilePath()); }

std::string readInstallationFolder(const std::filesystem::path& settingsFile) {
  std::ifstream in(settingsFile);
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    const std::string t = trim(line);
    if (!t.empty() && t.front() == '[') {
      inSection = (t == sectionLine());
      continue;
    }
    if (!inSection) continue;
    const auto eq = t.find('=');
    if (eq == std::string::npos) continue;
    if (trim(t.substr(0, eq)) == kInstallationFolderValue) return unquote(trim(t.substr(eq + 1)));
  }
  return {};
}

bool writeInstallationFolder(const std::string& folder) { return writeInstallationFolder(settingsFilePath(), folder); }

bool writeInstallationFolder(const std::filesystem::path& settingsFile, const std::string& folder) {
  std::vector<std::string> lines;
  {
    std::ifstream in(settingsFile);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
  }
  const std::string entry = std::string(kInstallationFolderValue) + "=" + quote(folder);
  bool inSection = false, written = false;
  std::vector<std::string> out;
  for (const auto& line : lines) {
    const std::string t = trim(line);
    if (!t.empty() && t.front() == '[') {
      if (inSection && !written) {
        out.push_back(entry);
        written = true;
      }
      inSection = (t == sectionLine());
    } else if (inSection) {
      const auto eq = t.find('=');
      if (eq != std::string::npos && trim(t.substr(0, eq)) == kInstallationFolderValue) {
        if (!written) out.push_back(entry);
        written = true;
        continue;
      }
    }
    out.push_back(line);
  }
  if (!written) {
    if (!inSection) out.push_back(sectionLine());
    out.push_back(entry);
  }
  std::error_code ec;
  std::filesystem::create_directories(settingsFile.parent_path(), ec);
  std::ofstream file(settingsFile, std::ios::trunc);
  for (const auto& line : out) file << line << '\n';
  return static_cast<bool>(file.flush());
}

}  // namespace tarnwick
