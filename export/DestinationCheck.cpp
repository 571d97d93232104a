#include "export/DestinationCheck.h"

#include "export/SaveTexts.h"
#include "platform/AppText.h"
#include "platform/DiskSpace.h"

#include <unistd.h>

namespace tarnwick::exporter {

FreeSpaceProbe systemFreeSpaceProbe() {
  return [](const std::filesystem::path& path) { return freeBytesOfVolume(path); };
}

bool freeSpacePasses(std::optional<std::uint64_t> freeBytes) { return freeBytes.value_or(0) > kFreeSpaceThreshold; }

DestinationVerdict checkDestination(const std::filesystem::path& destination, const FreeSpaceProbe& freeSpace) {
  std::error_code ec;
  if (destination.empty() || !std::filesystem::is_directory(destination, ec)) return DestinationVerdict::Missing;
  if (!freeSpacePasses(freeSpace(destination))) return DestinationVerdict::LowSpace;
  if (::access(destination.c_str(), W_OK | X_OK) != 0) return DestinationVerdict::NotWritable;
  return DestinationVerdict::Accepted;
}

std::optional<Message> destinationRefusal(DestinationVerdict verdict, const std::filesystem::path& destination) {
  Message m;
  m.caption = kMessageCaption;
  m.systemModal = true;
  switch (verdict) {
    case DestinationVerdict::Accepted: return std::nullopt;
    case DestinationVerdict::Missing:
      m.text = kDestinationMissing;
      m.icon = MessageIcon::Information;
      break;
    case DestinationVerdict::LowSpace:
      m.text = kDestinationLowSpace;
      m.icon = MessageIcon::Error;
      break;
    case DestinationVerdict::NotWritable:
      m.text =
          "Cannot create files in " + destination.string() + ": permission denied. Please change destination path.";
      m.icon = MessageIcon::Error;
      break;
  }
  return m;
}

}  // namespace tarnwick::exporter
