#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tarnwick::content {

// The comma-separated recipients text of a message ("To :" line, export recipients): each
// valid address once, compared without regard to case, the whole text at most
// kMaxLength characters.
class RecipientList {
 public:
  static constexpr std::size_t kMaxLength = 5119;

  // Offers one candidate. Returns false when it is not a valid address; true when it is
  // (whether it was added, already present, or left out because the text is full).
  bool addRecipient(std::u16string_view candidate);

  const std::u16string& text() const { return text_; }
  void clear();

 private:
  std::u16string text_;
  // The listed recipients upper-cased, whole and by address, for the presence checks.
  std::unordered_set<std::u16string> entries_;
  std::unordered_set<std::u16string> addresses_;
};

}  // namespace tarnwick::content
