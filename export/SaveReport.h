#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::exporter {

// One item that was not written, named so that it can be found again.
struct ItemNote {
  std::string messageId;  // 16 hexadecimal digits, bytes in stored order
  std::string subject;    // UTF-8; empty when it could not be read
  std::string reason;
};

// What happened to one selected folder.
struct FolderReport {
  std::string path;           // the selection path (UTF-8)
  std::uint32_t found = 0;    // items the store lists for the folder
  std::uint32_t counted = 0;  // of these, inside the date range (the counting pass result)
  std::uint32_t written = 0;
  std::vector<ItemNote> leftOut;     // by the date filter
  std::vector<ItemNote> failed;      // a writer or read failure
  std::vector<ItemNote> skipped;     // by the user's Skip
  std::vector<ItemNote> notReached;  // the save stopped first, or no record was found
  // Written, but from its header alone: its message record (body, recipients, attachments)
  // was not found in the store, so only subject, sender and date could be saved.
  std::vector<ItemNote> withoutRecord;
  std::vector<std::string> errors;  // folder-level failures (folder creation, reading)
  // The items counted in `written`, kept by the save (not in the report files) so that they
  // can be counted as failed when their output file cannot be finished.
  std::vector<ItemNote> writtenItems;
};

// One output store: a mailbox and the folders saved into it.
struct MailboxReport {
  std::string name;         // UTF-8
  std::string displayName;  // the store's display name
  std::string output;       // path of the output file or folder
  std::vector<FolderReport> folders;
  std::vector<std::string> errors;  // store-level failures (creating or finishing it)
};

struct SourceFileInfo {
  std::string path;
  std::optional<std::uint64_t> size;
  std::string sha256;  // empty when the file could not be read
  std::string error;   // why not
};

// Everything a save's report says.
struct SaveReport {
  std::string toolVersion;
  std::string format;  // pst, eml, mbox
  std::string destination;
  std::vector<SourceFileInfo> sources;  // the database and, when given, the streaming file
  std::string started;                  // ISO 8601, UTC
  std::string ended;
  std::string outcome;  // "completed", "stopped by the user", "stopped: low disk space"
  std::vector<MailboxReport> mailboxes;

  struct Totals {
    std::uint64_t found = 0, counted = 0, written = 0, leftOut = 0, failed = 0, skipped = 0, notReached = 0;
    std::uint64_t withoutRecord = 0;  // of the written ones
    std::uint64_t errors = 0;
  };
  Totals totals() const;
};

// Size and SHA-256 of a file, read once from start to end.
SourceFileInfo describeSourceFile(const std::filesystem::path& path);

// "2026-12-07T21:05:09Z" of a Unix time.
std::string isoUtcTime(std::int64_t unixSeconds);

// The report as JSON and as text for people.
std::string reportAsJson(const SaveReport& report);
std::string reportAsText(const SaveReport& report);

}  // namespace tarnwick::exporter
