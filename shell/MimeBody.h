#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::shell {

// A part of a message that a page may show inline (an image referred to by its
// Content-ID or Content-Location).
struct InlinePart {
  std::string contentType;  // e.g. "image/png"
  std::vector<unsigned char> bytes;
};

// What the preview shows of an Internet message: its HTML part when it has one, else its
// text part, and the parts that the HTML may refer to.
struct MimeBody {
  std::string html;  // UTF-8; empty when the message has no HTML part
  std::string text;  // UTF-8; used when there is no HTML part
  // By "cid:<id>" and by Content-Location as written in the message.
  std::map<std::string, InlinePart> inlineParts;
};

// Parses the message in `bytes` with GMime. Nothing when it is not a message at all.
std::optional<MimeBody> parseMimeBody(std::string_view bytes);
std::optional<MimeBody> parseMimeBodyFile(const std::filesystem::path& path);

}  // namespace tarnwick::shell
