#include "content/RecipientList.h"

#include "content/EmailAddressCheck.h"

namespace tarnwick::content {

namespace {

char16_t toUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  // Latin-1 lower-case letters (except the multiplication sign's partner and y-umlaut).
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

std::u16string upperCopy(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = toUpper(c);
  return out;
}

}  // namespace

void RecipientList::clear() {
  text_.clear();
  entries_.clear();
  addresses_.clear();
}

bool RecipientList::addRecipient(std::u16string_view candidate) {
  if (!isValidEmailAddress(candidate)) return false;
  // A recipient is listed once: by the same text, or by the same address, bare or in
  // angle brackets. Whole addresses are compared: carter@ is not bob.carter@.
  const bool bracketed =
      candidate.find(u'<') != std::u16string_view::npos && candidate.find(u'>') != std::u16string_view::npos;
  std::u16string whole = upperCopy(candidate);
  std::u16string address = bracketed ? upperCopy(bracketedAddress(candidate)) : whole;
  if (entries_.contains(whole) || addresses_.contains(address)) return true;
  // The separator counts against the limit too, so the text never exceeds it.
  std::size_t separator = text_.empty() ? 0 : 1;
  if (text_.size() + separator + candidate.size() > kMaxLength) return true;
  if (separator != 0) text_.push_back(u',');
  text_.append(candidate);
  entries_.insert(std::move(whole));
  addresses_.insert(std::move(address));
  return true;
}

}  // namespace tarnwick::content
