// The preview's RTF reader on arbitrary bytes: it must read only what it is given and end.
// The reader has no Qt in it, so the fuzz build takes its source directly.
#include "shell/RtfToHtml.cpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  (void)tarnwick::shell::rtfToHtml(rtf);
  (void)tarnwick::shell::rtfCarriesHtml(rtf);
  return 0;
}
