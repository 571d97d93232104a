#include "analysis/MessageHeaders.h"

namespace tarnwick::analysis {

void setAppointment(std::optional<AppointmentTimes>& appointment, std::u16string_view contactText,
                    std::u16string_view location, std::u16string_view timeZone, const ModelTime& start,
                    const ModelTime& end) {
  if (!appointment) appointment.emplace();
  if (!contactText.empty()) appointment->contactText = std::u16string(contactText);
  if (!location.empty()) appointment->location = std::u16string(location);
  if (!timeZone.empty()) appointment->timeZone = std::u16string(timeZone);
  if (!start.isZero()) appointment->start = start;
  if (!end.isZero()) appointment->end = end;
}

void MessageHeaderList::addMessageHeader(MessageHeader header) {
  byFolder_[header.folderId].push_back(headers_.size());
  headers_.push_back(std::move(header));
}

std::span<const std::size_t> MessageHeaderList::headersOfFolder(const FolderId& folderId) const {
  auto it = byFolder_.find(folderId);
  if (it == byFolder_.end()) return {};
  return it->second;
}

void MessageHeaderList::clear() {
  headers_.clear();
  byFolder_.clear();
}

}  // namespace tarnwick::analysis
