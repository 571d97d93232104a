// Names and texts the save takes from a store: whatever they hold, a name made safe never
// leaves its folder, and a message put into an mbox never starts a second message.
#include "export/PathSanitizer.h"
#include "export/TreeOutputs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick::exporter;
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < size; i += 2) wide.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const std::string name = sanitizeNameComponent(wide, 1 + size % 64);
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos || name.size() > 64)
    std::abort();

  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string entry = mboxrdEntry(text, 0);
  // Only the separator line may start with "From ".
  for (std::size_t at = entry.find('\n'); at != std::string::npos && at + 1 < entry.size();
       at = entry.find('\n', at + 1))
    if (entry.compare(at + 1, 5, "From ") == 0) std::abort();
  return 0;
}
