#include "content/EmailAddressCheck.h"

namespace tarnwick::content {

namespace {

constexpr std::size_t kMaxCheckedLength = 1024;
constexpr std::u16string_view kSpecials = u"()<>@, ;:\\\"[]";

bool isSpecial(char16_t c) { return kSpecials.find(c) != std::u16string_view::npos; }

bool isAtomChar(char16_t c) { return c >= 33 && c <= 126 && !isSpecial(c); }

bool isQuotedChar(char16_t c) { return c >= 32 && c <= 126; }

}  // namespace

std::u16string_view bracketedAddress(std::u16string_view text) {
  std::size_t open = text.find(u'<');
  if (open == std::u16string_view::npos) return text;
  std::size_t close = text.find(u'>', open + 1);
  if (close == std::u16string_view::npos) return text;
  return text.substr(open + 1, close - open - 1);
}

bool isValidEmailAddress(std::u16string_view text) {
  std::u16string_view candidate = bracketedAddress(text.substr(0, kMaxCheckedLength));
  if (candidate.empty()) return false;

  // Local part, up to the first "@" outside a quoted string.
  std::size_t i = 0;
  std::size_t at = std::u16string_view::npos;
  while (i < candidate.size()) {
    char16_t c = candidate[i];
    if (c == u'@') {
      at = i;
      break;
    }
    bool opensQuote = c == u'"' && (i == 0 || candidate[i - 1] == u'.' || candidate[i - 1] == u'"');
    if (!opensQuote) {
      if (!isAtomChar(c)) return false;
      ++i;
      continue;
    }
    ++i;
    bool closed = false;
    while (i < candidate.size()) {
      char16_t q = candidate[i];
      if (q == u'"') {
        closed = true;
        ++i;
        break;
      }
      if (q == u'\\') {
        if (i + 1 >= candidate.size()) return false;
        char16_t escaped = candidate[i + 1];
        if (escaped != u' ' && !isQuotedChar(escaped)) return false;
        i += 2;
        continue;
      }
      if (!isQuotedChar(q)) return false;
      ++i;
    }
    if (!closed || i >= candidate.size()) return false;
    if (candidate[i] != u'@' && candidate[i] != u'.') return false;
  }
  if (at == std::u16string_view::npos || at == 0) return false;
  if (candidate[at - 1] == u'.') return false;

  std::u16string_view domain = candidate.substr(at + 1);
  if (domain.empty()) return false;
  std::size_t dots = 0;
  for (std::size_t k = 0; k < domain.size(); ++k) {
    char16_t c = domain[k];
    if (!isAtomChar(c)) return false;
    if (c == u'.') {
      if (k == 0 || domain[k - 1] == u'.') return false;
      ++dots;
    }
  }
  return dots > 0;
}

}  // namespace tarnwick::content
