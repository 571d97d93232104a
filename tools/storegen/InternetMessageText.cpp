#include "tools/storegen/InternetMessageText.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tarnwick::storegen {

namespace {

constexpr char kCrlf[] = "\r\n";
constexpr std::size_t kLineLimit = 76;
// Bytes of UTF-8 text per encoded word: 45 bytes give 60 base64 characters, and the word
// with its "=?UTF-8?B?" and "?=" stays under 75.
constexpr std::size_t kEncodedWordBytes = 45;
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ull;
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(const std::uint8_t* data, std::size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (std::size_t i = 0; i < size; i += 3) {
    const std::uint32_t a = data[i];
    const std::uint32_t b = i + 1 < size ? data[i + 1] : 0;
    const std::uint32_t c = i + 2 < size ? data[i + 2] : 0;
    const std::uint32_t v = (a << 16) | (b << 8) | c;
    out += kBase64[(v >> 18) & 63];
    out += kBase64[(v >> 12) & 63];
    out += i + 1 < size ? kBase64[(v >> 6) & 63] : '=';
    out += i + 2 < size ? kBase64[v & 63] : '=';
  }
  return out;
}

bool plainAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F) return false;
  }
  return true;
}

// A display name and address: quoted when ASCII, encoded words otherwise.
std::string mailbox(const MailAddress& a) {
  if (a.name.empty()) return "<" + a.address + ">";
  std::string name;
  if (plainAscii(a.name)) {
    name = "\"";
    for (char c : a.name) {
      if (c == '"' || c == '\\') name += '\\';
      name += c;
    }
    name += "\"";
  } else {
    name = encodedWords(a.name);
  }
  return name + " <" + a.address + ">";
}

std::string header(const std::string& name, const std::string& value) { return name + ": " + value + kCrlf; }

std::string textPart(const std::string& type, const std::string& body) {
  std::string out = header("Content-Type", type + "; charset=\"utf-8\"");
  out += header("Content-Transfer-Encoding", "quoted-printable");
  out += kCrlf;
  out += quotedPrintable(body);
  return out;
}

std::string alternative(const InternetMessageParts& parts, const std::string& boundary) {
  std::string out = header("Content-Type", "multipart/alternative; boundary=\"" + boundary + "\"");
  out += kCrlf;
  out += "--" + boundary + kCrlf + textPart("text/plain", parts.text);
  out += kCrlf + std::string("--") + boundary + kCrlf + textPart("text/html", parts.html);
  out += kCrlf + std::string("--") + boundary + "--" + kCrlf;
  return out;
}

}  // namespace

std::string encodedWords(const std::string& utf8) {
  if (plainAscii(utf8)) return utf8;
  std::string out;
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t end = std::min(utf8.size(), at + kEncodedWordBytes);
    // Never cut a character: back up over continuation bytes.
    while (end < utf8.size() && end > at && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + base64(reinterpret_cast<const std::uint8_t*>(utf8.data()) + at, end - at) + "?=";
    at = end;
  }
  return out;
}

std::string quotedPrintable(const std::string& utf8) {
  std::string out;
  std::size_t lineStart = 0;
  std::size_t i = 0;
  auto hardBreak = [&]() {
    out += kCrlf;
    lineStart = out.size();
  };
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c == '\n') {
      hardBreak();
      ++i;
      continue;
    }
    const bool lineEndsHere = i + 1 == utf8.size() || utf8[i + 1] == '\n';
    std::string piece;
    if ((c >= 33 && c <= 126 && c != '=') || (c == ' ' && !lineEndsHere)) {
      piece = static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "=%02X", c);
      piece = buf;
    }
    // A soft break keeps every line, its '=' included, within the limit.
    if (out.size() - lineStart + piece.size() > kLineLimit - 1) {
      out += "=";
      hardBreak();
    }
    out += piece;
    ++i;
  }
  if (out.size() != lineStart) out += kCrlf;
  return out;
}

std::string base64Lines(const Bytes& data) {
  const std::string all = base64(data.data(), data.size());
  std::string out;
  for (std::size_t at = 0; at < all.size(); at += kLineLimit) out += all.substr(at, kLineLimit) + kCrlf;
  return out;
}

std::string rfc5322Date(std::uint64_t fileTime) {
  const std::int64_t ticks = static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kFileTimeOf1970);
  std::int64_t seconds = ticks / 10000000;
  if (ticks < 0 && ticks % 10000000 != 0) --seconds;
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d +0000", kDays[tm.tm_wday % 7], tm.tm_mday,
                kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string composeInternetMessage(const InternetMessageParts& parts) {
  std::string out = header("From", mailbox(parts.from));
  std::string to;
  for (const MailAddress& a : parts.to) to += (to.empty() ? "" : ",\r\n ") + mailbox(a);
  if (!to.empty()) out += header("To", to);
  out += header("Subject", encodedWords(parts.subject));
  out += header("Date", rfc5322Date(parts.fileTime));
  out += header("Message-ID", "<" + parts.messageId + ">");
  out += header("MIME-Version", "1.0");
  const std::string inner = "alt-" + parts.boundaryTag;
  if (!parts.attachment) return out + alternative(parts, inner);

  const std::string outer = "mixed-" + parts.boundaryTag;
  out += header("Content-Type", "multipart/mixed; boundary=\"" + outer + "\"");
  out += kCrlf;
  out += "This is a multi-part message in MIME format.\r\n";
  out += "--" + outer + kCrlf + alternative(parts, inner);
  const MimeAttachment& a = *parts.attachment;
  out += kCrlf + std::string("--") + outer + kCrlf;
  out += header("Content-Type", a.contentType + "; name=\"" + a.fileName + "\"");
  out += header("Content-Transfer-Encoding", "base64");
  out += header("Content-Disposition", "attachment; filename=\"" + a.fileName + "\"");
  out += kCrlf;
  out += base64Lines(a.data);
  out += kCrlf + std::string("--") + outer + "--" + kCrlf;
  return out;
}

}  // namespace tarnwick::storegen
