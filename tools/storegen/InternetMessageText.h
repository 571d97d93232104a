#pragma once

// A whole Internet message (RFC 5322 with MIME) as a mail client would have stored it:
// headers, a text and an HTML alternative, and optionally one base64 attachment. Lines end
// in CRLF; headers beyond ASCII are encoded words, the text parts quoted-printable UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/storegen/Bytes.h"

namespace tarnwick::storegen {

struct MailAddress {
  std::string name;     // display name, UTF-8 (may be empty)
  std::string address;  // SMTP address
};

struct MimeAttachment {
  std::string fileName;     // ASCII
  std::string contentType;  // e.g. "application/octet-stream"
  Bytes data;
};

struct InternetMessageParts {
  MailAddress from;
  std::vector<MailAddress> to;
  std::string subject;         // UTF-8
  std::uint64_t fileTime = 0;  // the Date header
  std::string messageId;       // without angle brackets
  std::string boundaryTag;     // makes the MIME boundaries of this message unique
  std::string text;            // UTF-8, lines separated by "\n"
  std::string html;            // UTF-8
  std::optional<MimeAttachment> attachment;
};

std::string composeInternetMessage(const InternetMessageParts& parts);

// Pieces of the composition, used on their own by the tests.
std::string encodedWords(const std::string& utf8);     // a header text, RFC 2047 when needed
std::string quotedPrintable(const std::string& utf8);  // CRLF line ends, lines of at most 76
std::string base64Lines(const Bytes& data);            // lines of 76 characters, CRLF ends
std::string rfc5322Date(std::uint64_t fileTime);       // "Thu, 17 Aug 2150 10:00:00 +0000"

}  // namespace tarnwick::storegen
