#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::analysis {

// The contact texts of one message, in the slot order the message-record reader fills and
// the contact summary reads.
struct ItemProperties {
  static constexpr std::size_t kSlotCount = 18;
  std::array<std::optional<std::u16string>, kSlotCount> slots;

  bool operator==(const ItemProperties&) const = default;
};

// Property records of one message; a record with the same eighteen texts as one already
// listed is not added again.
class PropertiesList {
 public:
  // An empty text leaves its slot empty.
  bool addItemProperties(const std::array<std::u16string_view, ItemProperties::kSlotCount>& texts);

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  const ItemProperties& operator[](std::size_t i) const { return records_[i]; }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }
  void clear() { records_.clear(); }

 private:
  std::vector<ItemProperties> records_;
};

}  // namespace tarnwick::analysis
