#pragma once

namespace tarnwick {

// The application's own texts, word for word (the leading blank and the two blanks
// before "EDB" are part of them).
inline constexpr const char* kWindowTitle = " Tarnwick for  EDB To PST";
inline constexpr const char* kMessageCaption = " Tarnwick For  EDB To PST";
inline constexpr const char* kVersionText = "Version 3.0";
inline constexpr const char* kProductKey = "TKEDB_PST";
inline constexpr const char* kInstallationFolderValue = "FilePath";
inline constexpr const char* kOutOfMemoryMessage = "Out Of Memory";

}  // namespace tarnwick
