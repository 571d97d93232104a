#pragma once

#include "export/WriterInterfaces.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::exporter {

// An item as an Internet message is made of. Texts are UTF-8.
struct MimeItem {
  std::string from;        // address text ("Name <a@b.c>", or a bare name)
  std::string recipients;  // addresses separated by "," or ";"
  std::string subject;
  std::optional<std::int64_t> unixTime;  // the Date field, in UTC
  std::string body;
  BodyKind bodyKind = BodyKind::Utf16Text;
  std::vector<AttachmentFile> attachments;  // files attached by value, with their names
  std::vector<std::pair<std::string, std::string>> extraHeaders;
  // A further part carried beside the body (e.g. "text/calendar" and its text).
  std::optional<std::pair<std::string, std::string>> extraPart;
};

enum class LineEnding { Crlf, Lf };

// The RFC 5322 message of an item, composed with GMime: text/plain or text/html (by the
// body's content) or text/rtf for the body, multipart/mixed when there are attachments or
// an extra part. Throws std::runtime_error naming the file when an attachment cannot be
// read.
std::string composeMime(const MimeItem& item, LineEnding ending);

// The subject (decoded) and date of an Internet message file; empty when absent.
struct MessageFileSummary {
  std::string subject;
  std::optional<std::int64_t> unixTime;
};
MessageFileSummary summarizeMessageFile(const std::filesystem::path& path);

// The address text of the first "From:" line of a header file; empty when none.
std::string fromLineOfHeaderFile(const std::filesystem::path& path);

}  // namespace tarnwick::exporter
