// Recipient harvesting on arbitrary bytes: never reads outside the value, the text stays
// within its limit and holds only addresses that pass the address check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "content/EmailAddressCheck.h"
#include "content/RecipientList.h"
#include "content/RecipientScanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick::content;
  if (size == 0) return 0;
  const std::span<const std::uint8_t> value(data + 1, size - 1);
  RecipientList list;
  switch (data[0] % 3) {
    case 0: RecipientScanner::scanInline(value, data[0] % 7, true, list); break;
    case 1: RecipientScanner::scanInline(value, RecipientScanner::compressedScanStart(value), false, list); break;
    default: RecipientScanner::scanAssembled(value, list); break;
  }
  const std::u16string& text = list.text();
  if (text.size() > RecipientList::kMaxLength) std::abort();
  // Every listed entry is a valid address on its own.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u',', start);
    if (end == std::u16string::npos) end = text.size();
    if (!isValidEmailAddress(std::u16string_view(text).substr(start, end - start))) std::abort();
    start = end + 1;
  }
  return 0;
}
