#pragma once

#include "analysis/MessageItems.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::exporter {

// The texts the message list shows for an item.
struct HeaderTexts {
  std::u16string subject;
  std::u16string sender;
};

// A body as the stored-value reader gives it: its form (0 UTF-16 text, 1 8-bit text,
// 3 RTF) and its bytes.
struct StoredItemBody {
  std::uint32_t form = 0;
  std::vector<std::uint8_t> bytes;
};

// What the item writers read from the store for an item: the header texts, the body, the
// recipients and the streamed message. Implemented over the content readers.
class ItemContentReader {
 public:
  virtual ~ItemContentReader() = default;
  virtual HeaderTexts headerTexts(const analysis::MessageItem& item) = 0;
  // Nothing when the body cannot be read.
  virtual std::optional<StoredItemBody> body(const analysis::MessageItem& item) = 0;
  // The recipients text: addresses separated by ",".
  virtual std::u16string recipients(const analysis::MessageItem& item) = 0;
  // Writes the item's streamed message to `path`; false when it cannot.
  virtual bool extractStreamedMessage(const analysis::MessageItem& item, const std::filesystem::path& path) = 0;
};

}  // namespace tarnwick::exporter
