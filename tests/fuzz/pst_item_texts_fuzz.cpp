// The texts the mail writer is handed (recipient and attachment lists, header files) come
// from damaged stores: their parsers must take any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pst/messaging/ItemBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  (void)tarnwick::pst::parseRecipientList(text);
  (void)tarnwick::pst::parseAttachmentList(text);
  (void)tarnwick::pst::parseFromLine(text);
  return 0;
}
