#pragma once

#include "analysis/FolderKind.h"

namespace tarnwick::content {

// How the preview lays an item out: contacts and appointments with their summary lines at
// the left, everything else as a message.
enum class PreviewKind { Appointment, Contact, Other };
constexpr PreviewKind previewKindOf(analysis::FolderKind kind) {
  if (kind == analysis::FolderKind::Calendar) return PreviewKind::Appointment;
  if (kind == analysis::FolderKind::Contacts) return PreviewKind::Contact;
  return PreviewKind::Other;
}

}  // namespace tarnwick::content
