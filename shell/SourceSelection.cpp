#include "shell/SourceSelection.h"

#include "platform/StoreFile.h"
#include "shell/ShellTexts.h"
#include "store/StoreMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tarnwick::shell {

namespace fs = std::filesystem;

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(fs::path(path), error);
}

}  // namespace

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) { return lower(a) == lower(b); });
}

std::string findStreamingFile(const std::string& databasePath) {
  const std::size_t slash = databasePath.rfind('/');
  if (slash == std::string::npos) return {};
  const std::string folder = databasePath.substr(0, slash + 1);
  const std::string name = databasePath.substr(slash + 1);

  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) {
    const std::string sibling = folder + name.substr(0, dot) + ".stm";
    std::error_code error;
    if (fs::is_regular_file(sibling, error)) return sibling;
  }

  // Directory order is arbitrary on this system; name order makes the choice repeatable.
  std::vector<std::string> candidates;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string path = folder + it->path().filename().string();
    if (endsWithNoCase(path, ".stm")) candidates.push_back(path);
  }
  if (candidates.empty()) return {};
  return *std::min_element(candidates.begin(), candidates.end());
}

SourceCheck checkSourcePaths(const std::string& databasePath, const std::string& streamingPath) {
  if (!exists(databasePath)) return SourceCheck::DatabaseNotFound;
  if (!endsWithNoCase(databasePath, "edb")) return SourceCheck::DatabaseNotEdb;
  if (!streamingPath.empty()) {
    if (!exists(streamingPath)) return SourceCheck::StreamingNotFound;
    if (!endsWithNoCase(streamingPath, "stm")) return SourceCheck::StreamingNotStm;
  }
  return SourceCheck::Accepted;
}

std::string sourceCheckMessage(SourceCheck check) {
  switch (check) {
    case SourceCheck::Accepted: return {};
    case SourceCheck::DatabaseNotFound:
    case SourceCheck::StreamingNotFound: return kFileNotFound;
    case SourceCheck::DatabaseNotEdb: return kVerifyEdbPath;
    case SourceCheck::StreamingNotStm: return kVerifyStmPath;
  }
  return {};
}

std::string openFailureMessage(const store::PairOpenResult& result) {
  if (result.osError == EWOULDBLOCK || result.osError == EAGAIN) return store::kFileInUseMessage;
  if (result.osError == kNotARegularFile) {
    return std::string("Unable to open selected file.\n") + result.failedPath +
           ": not a regular file (a pipe, device or socket), not a store file";
  }
  return std::string("Unable to open selected file.\n") + result.failedPath + ": " + std::strerror(result.osError);
}

}  // namespace tarnwick::shell
