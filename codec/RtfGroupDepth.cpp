#include "codec/RtfGroupDepth.h"

#include <cctype>

namespace tarnwick::codec {
namespace {

constexpr std::string_view kBinaryWord = "bin";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t openRtfGroups(std::string_view rtf) { return scanRtfGroups(rtf).openGroups; }

RtfGroupState scanRtfGroups(std::string_view rtf) {
  RtfGroupState state;
  std::size_t& depth = state.openGroups;
  std::size_t i = 0;
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      ++i;
    } else if (c == '}') {
      if (depth > 0) --depth;
      ++i;
    } else if (c != '\\') {
      ++i;
    } else if (rtf.substr(i + 1, kBinaryWord.size()) == kBinaryWord && i + 1 + kBinaryWord.size() < rtf.size() &&
               isDigit(rtf[i + 1 + kBinaryWord.size()])) {
      // \binN: N bytes of binary data follow the control word and its delimiting space.
      std::size_t j = i + 1 + kBinaryWord.size();
      std::size_t count = 0;
      while (j < rtf.size() && isDigit(rtf[j]) && count < rtf.size())
        count = count * 10 + static_cast<std::size_t>(rtf[j++] - '0');
      if (j < rtf.size() && rtf[j] == ' ') ++j;
      i = count >= rtf.size() - j ? rtf.size() : j + count;
    } else if (i + 1 == rtf.size()) {
      state.danglingBackslash = true;
      ++i;
    } else {
      i += 2;  // the escaped character, or the first letter of a control word
    }
  }
  return state;
}

}  // namespace tarnwick::codec
