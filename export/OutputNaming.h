#pragma once

#include "platform/FileTime.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tarnwick::exporter {

// The mailbox a selection path belongs to: the path up to (not including) its first
// backslash; nothing for a path without one.
std::optional<std::u16string> mailboxNameOf(std::u16string_view selectionPath);

// "%d-%d-%d %d-%02d" of the local day, month, year, hour and minute (9:05 on 3 February
// 2010 gives "3-2-2010 9-05"; the minute has two digits, so 9:05 and 9:50 differ).
std::string saveStamp(const SystemTime& localTime);

// "TK_" + mailbox name + "_" + stamp, the name the output store shows; the mailbox name
// stands as it is (UTF-8).
std::string storeDisplayName(std::u16string_view mailboxName, std::string_view stamp);

// Hands out output paths in one destination folder without ever naming a file or folder
// that already exists there or that was handed out before: a taken name gets " (2)",
// " (3)", ... before its ending.
class OutputNamer {
 public:
  explicit OutputNamer(std::filesystem::path destination) : destination_(std::move(destination)) {}

  const std::filesystem::path& destination() const { return destination_; }

  // The path of a mailbox's output store: "TK_" + the mailbox name made safe as a file
  // name (a "/" in it gives "_") + "_" + stamp + `extension`, inside the destination.
  std::filesystem::path storePath(std::u16string_view mailboxName, std::string_view stamp, std::string_view extension);
  // A free path for `stem` + `extension` inside the destination; `stem` must already be
  // a safe file name.
  std::filesystem::path reserve(std::string_view stem, std::string_view extension);

 private:
  std::filesystem::path destination_;
  std::set<std::string> handedOut_;
};

}  // namespace tarnwick::exporter
