#include "export/PathSanitizer.h"

#include "platform/CodePage.h"

namespace tarnwick::exporter {
namespace {

bool isReserved(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '/':
    case '\\':
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*': return true;
    default: return false;
  }
}

}  // namespace

std::string truncateUtf8(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t cut = maxBytes;
  // Step back over continuation bytes so that no character is split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

std::string sanitizeNameComponent(std::string_view utf8Name, std::size_t maxBytes) {
  std::string out;
  out.reserve(utf8Name.size());
  for (char ch : utf8Name) out.push_back(isReserved(static_cast<unsigned char>(ch)) ? '_' : ch);
  // Cut first: a cut name may be nothing but dots.
  out = truncateUtf8(out, maxBytes);
  if (out.empty()) return "_";
  if (out.find_first_not_of('.') == std::string::npos) out.assign(out.size(), '_');
  return out;
}

std::string sanitizeNameComponent(std::u16string_view name, std::size_t maxBytes) {
  return sanitizeNameComponent(utf16ToUtf8(name), maxBytes);
}

}  // namespace tarnwick::exporter
