#include "export/OutputNaming.h"

#include "export/PathSanitizer.h"
#include "platform/CodePage.h"

#include <cstdio>

namespace tarnwick::exporter {

std::optional<std::u16string> mailboxNameOf(std::u16string_view selectionPath) {
  const auto slash = selectionPath.find(u'\\');
  if (slash == std::u16string_view::npos) return std::nullopt;
  return std::u16string(selectionPath.substr(0, slash));
}

std::string saveStamp(const SystemTime& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d-%d-%d %d-%02d", t.day, t.month, t.year, t.hour, t.minute);
  return buffer;
}

std::string storeDisplayName(std::u16string_view mailboxName, std::string_view stamp) {
  return "TK_" + utf16ToUtf8(mailboxName) + "_" + std::string(stamp);
}

std::filesystem::path OutputNamer::storePath(std::u16string_view mailboxName, std::string_view stamp,
                                             std::string_view extension) {
  const std::string stem = "TK_" + sanitizeNameComponent(mailboxName) + "_" + std::string(stamp);
  return reserve(stem, extension);
}

std::filesystem::path OutputNamer::reserve(std::string_view stem, std::string_view extension) {
  for (unsigned number = 1;; ++number) {
    std::string name(stem);
    if (number > 1) name += " (" + std::to_string(number) + ")";
    name += extension;
    auto candidate = destination_ / name;
    std::error_code ec;
    const bool taken =
        handedOut_.count(name) != 0 || std::filesystem::exists(std::filesystem::symlink_status(candidate, ec));
    if (!taken) {
      handedOut_.insert(name);
      return candidate;
    }
  }
}

}  // namespace tarnwick::exporter
