#pragma once

#include <cstdint>

namespace tarnwick::analysis {

// What a folder holds, as the folder step tells it from the folder's container class; a
// message item takes the kind of its folder, or Contacts or Calendar when its record
// carries contact or appointment texts.
enum class FolderKind : std::uint8_t {
  Other,     // mail and everything else
  Contacts,  // IPF.Contact
  Calendar,  // IPF.Appointment
  Notes,     // IPF.StickyNote, in a folder named "Notes"
  Tasks,     // IPF.Task
  Journal,   // IPF.Journal
};

// Journal, task and note items have no contact or appointment texts to read.
constexpr bool hasContactOrAppointmentTexts(FolderKind kind) {
  return kind != FolderKind::Journal && kind != FolderKind::Tasks && kind != FolderKind::Notes;
}

}  // namespace tarnwick::analysis
