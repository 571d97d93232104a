#pragma once

#include "analysis/LongValuePageReader.h"
#include "analysis/MessageItems.h"
#include "store/PageSizeClass.h"
#include "store/StoreOffsets.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// Which long values a pass over long-value pages resolves into chunk lists.
struct LongValueTargets {
  bool bodies = false;       // bodyKeyA -> bodyChunksA, bodyKeyB -> bodyChunksB
  bool attachments = false;  // long-value attachments -> their chunks (saving)
};

// Appends the chunks of long-value pages to the items and attachments whose long-value
// keys name them. The keys are indexed once per pass, so each chunk of a page costs one
// look-up instead of a walk of the message list.
class LongValueScanner {
 public:
  LongValueScanner(MessageItemList& items, store::PageSizeClass pageSizeClass, LongValueTargets targets,
                   std::optional<std::size_t> singleItem = std::nullopt);

  void scanLongValuePage(std::span<const std::uint8_t> page, store::FileOffset pageOffset);
  // Whether any key is waiting for chunks at all.
  bool empty() const { return owners_.empty(); }

 private:
  enum class Target { BodyA, BodyB, Attachment };
  struct Owner {
    std::size_t item;
    Target target;
    std::size_t attachment;
  };
  static std::uint16_t keyOf(std::array<std::uint8_t, 2> key) {
    return static_cast<std::uint16_t>(key[0] << 8 | key[1]);
  }

  MessageItemList& items_;
  store::PageSizeClass pageSizeClass_;
  std::unordered_map<std::uint16_t, std::vector<Owner>> owners_;
};

}  // namespace tarnwick::analysis
