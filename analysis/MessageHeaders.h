#pragma once

#include "analysis/FolderKind.h"
#include "analysis/ModelIds.h"
#include "platform/ModelTime.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// Start and end of a calendar item, with the three texts the appointment summary shows.
struct AppointmentTimes {
  std::optional<ModelTime> start;
  std::optional<ModelTime> end;
  std::optional<std::u16string> contactText;
  std::optional<std::u16string> location;
  std::optional<std::u16string> timeZone;
};

// Creates the record when `appointment` is empty; stores the three texts in order (an
// empty text leaves its slot as it was); replaces start and end with the given times
// when they are not all zero.
void setAppointment(std::optional<AppointmentTimes>& appointment, std::u16string_view contactText,
                    std::u16string_view location, std::u16string_view timeZone, const ModelTime& start,
                    const ModelTime& end);

// One message found by the header step.
struct MessageHeader {
  store::FileOffset pageOffset;  // file offset of the page holding the header record
  // Where the header's three text values lie in that page (just after the value's format
  // byte) and their lengths (counted from the format byte); 0 when absent.
  std::uint16_t primaryOffset = 0;
  std::uint16_t secondaryOffset = 0;
  std::uint16_t primaryLength = 0;
  std::uint16_t secondaryLength = 0;
  std::uint16_t thirdOffset = 0;
  std::uint16_t thirdLength = 0;
  MessageId messageId;
  FolderId folderId;  // id of the folder the message belongs to
  ModelTime time;
  std::optional<std::string> ownerKey;          // 32 KB stores: the header table's owner key
  FolderKind flag = FolderKind::Other;          // kind of the header table it came from
  std::optional<AppointmentTimes> appointment;  // calendar items with both times found
};

// Message headers in the order found (no duplicate check), indexed by folder id.
class MessageHeaderList {
 public:
  void addMessageHeader(MessageHeader header);

  std::size_t size() const { return headers_.size(); }
  bool empty() const { return headers_.empty(); }
  const MessageHeader& operator[](std::size_t i) const { return headers_[i]; }
  auto begin() const { return headers_.begin(); }
  auto end() const { return headers_.end(); }
  // Positions, in list order, of the headers of folder `folderId`.
  std::span<const std::size_t> headersOfFolder(const FolderId& folderId) const;
  void clear();

 private:
  std::deque<MessageHeader> headers_;
  std::unordered_map<FolderId, std::vector<std::size_t>> byFolder_;
};

}  // namespace tarnwick::analysis
