#include "analysis/ItemProperties.h"

#include <algorithm>

namespace tarnwick::analysis {

bool PropertiesList::addItemProperties(const std::array<std::u16string_view, ItemProperties::kSlotCount>& texts) {
  ItemProperties record;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!texts[i].empty()) record.slots[i] = std::u16string(texts[i]);
  }
  if (std::find(records_.begin(), records_.end(), record) != records_.end()) return false;
  records_.push_back(std::move(record));
  return true;
}

}  // namespace tarnwick::analysis
