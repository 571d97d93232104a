#include "export/PathSanitizer.h"

#include "platform/CodePage.h"

namespace tarnwick::exporter {
namespace {

bool IsReserved(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '/': case '\\': case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
    default: return false;
  }
}

}  // namespace

std::string TruncateUtf8(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t cut = maxBytes;
  // Step back over continuation bytes so that no character is split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

std::string SanitizeNameComponent(std::string_view utf8Name, std::size_t maxBytes) {
  std::string out;
  out.reserve(utf8Name.size());
  bool onlyDots = true;
  for (char ch : utf8Name) {
    const auto c = static_cast<unsigned char>(ch);
    out.push_back(IsReserved(c) ? '_' : ch);
    if (c != '.') onlyDots = false;
  }
  if (out.empty()) return "_";
  if (onlyDots) out.assign(out.size(), '_');
  out = TruncateUtf8(out, maxBytes);
  return out.empty() ? "_" : out;
}

std::string SanitizeNameComponent(std::u16string_view name, std::size_t maxBytes) {
  return SanitizeNameComponent(Utf16ToUtf8(name), maxBytes);
}

}  // namespace tarnwick::exporter
