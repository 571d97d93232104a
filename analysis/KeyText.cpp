#include "analysis/KeyText.h"

#include <cctype>
#include <cstdio>

namespace tarnwick::analysis {

namespace {

constexpr char kHeaderTablePrefix[] = "MsgHeader-";
// The tail of a key starts at the first non-zero byte among bytes 3 to 8 (indexes 2 to 7).
constexpr std::size_t kTailFirst = 2;
constexpr std::size_t kTailFallback = 0;

void appendHex(std::string& text, std::uint8_t value, bool twoDigits) {
  char digits[4];
  std::snprintf(digits, sizeof digits, twoDigits ? "%02x" : "%x", value);
  text += digits;
}

// From the first non-zero byte among bytes 3 to 8 (or from byte 1 when all six are zero) to
// byte 8: non-zero bytes in hexadecimal, two digits except the first one written; zero
// bytes as "00".
void appendTail(std::string& text, const std::array<std::uint8_t, 8>& id) {
  std::size_t start = kTailFallback;
  for (std::size_t i = kTailFirst; i < id.size(); ++i) {
    if (id[i] != 0) {
      start = i;
      break;
    }
  }
  bool first = true;
  for (std::size_t i = start; i < id.size(); ++i) {
    if (id[i] == 0) {
      text += "00";
    } else {
      appendHex(text, id[i], !first);
      first = false;
    }
  }
}

std::string upper(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string mailboxKeyText(const std::array<std::uint8_t, 8>& id) {
  std::string text;
  appendHex(text, id[0], false);
  text += '-';
  appendTail(text, id);
  return upper(std::move(text));
}

std::string headerTableName(const std::array<std::uint8_t, 8>& id, bool largeStore) {
  std::string text = largeStore ? kHeaderTablePrefix : "";
  if (id[0] != 0) appendHex(text, id[0], false);
  if (id[1] != 0) appendHex(text, id[1], false);
  if (!text.empty()) {
    text += '-';
    appendTail(text, id);
  }
  return upper(std::move(text));
}

}  // namespace tarnwick::analysis
