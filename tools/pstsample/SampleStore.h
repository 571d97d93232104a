#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace tarnwick::pstsample {

struct SampleOptions {
  std::filesystem::path output;
  std::filesystem::path workDir;           // attachment files are made here
  int bulkMessages = 0;                    // extra small messages in "Bulk"
  std::uint64_t largeAttachmentBytes = 0;  // one message with an attachment of this size
  int manyAttachments = 0;                 // one message with this many small attachments
};

/// Writes a store with folders of every kind and items of every kind through the mail
/// and contact writers; returns a manifest of what was written (folders, items,
/// subjects, senders, recipients, bodies, attachment files and sizes).
nlohmann::json writeSampleStore(const SampleOptions& options);

}  // namespace tarnwick::pstsample
