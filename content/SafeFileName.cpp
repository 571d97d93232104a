#include "content/SafeFileName.h"

namespace tarnwick::content {

namespace {
constexpr std::u16string_view kReserved = u"/\\:*?\"<>|";
constexpr std::size_t kMaxNameLength = 200;
}  // namespace

std::u16string safeFileName(std::u16string_view name, std::u16string_view fallback) {
  std::u16string out;
  for (char16_t c : name.substr(0, kMaxNameLength)) {
    bool bad = c < 0x20 || c == 0x7F || kReserved.find(c) != std::u16string_view::npos;
    out.push_back(bad ? u'_' : c);
  }
  for (std::size_t at = out.find(u".."); at != std::u16string::npos; at = out.find(u"..", at))
    out.replace(at, 2, u"__");
  while (!out.empty() && (out.back() == u'.' || out.back() == u' ')) out.pop_back();
  for (char16_t& c : out) {
    if (c != u'.') break;
    c = u'_';
  }
  if (out.empty()) out = fallback;
  return out;
}

}  // namespace tarnwick::content
