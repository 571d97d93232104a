#pragma once

#include <cstddef>
#include <string_view>

namespace tarnwick::codec {

// Where RTF text stands at its end: how many groups are still open (braces counted outside
// escapes such as \{ \} \\ and outside the binary data of \binN; a stray closing brace does
// not make the count negative), and whether it ends in a lone backslash that would escape
// whatever is appended.
struct RtfGroupState {
  std::size_t openGroups = 0;
  bool danglingBackslash = false;
};

RtfGroupState scanRtfGroups(std::string_view rtf);

// scanRtfGroups(rtf).openGroups.
std::size_t openRtfGroups(std::string_view rtf);

}  // namespace tarnwick::codec
