#pragma once

namespace tarnwick::store {

// The texts the store reader gives its user, word for word.
inline constexpr const char* kCorruptedFileMessage = "File is highly corrupted, Contact system administrator.";
inline constexpr const char* kCorruptedFileCaption = "Tarnwick For EDB To PST";
inline constexpr const char* kFileInUseMessage =
    "Unable to open selected file. It is already being used by another process.";

}  // namespace tarnwick::store
