#pragma once

#include "session/StoreSession.h"

#include <optional>
#include <string>

namespace tarnwick::cli {

// Opens and scans the store for the list, show and export commands; on failure prints why
// (naming the file) and returns the exit code to end with.
std::optional<int> openStoreSession(session::StoreSession& session, const std::string& storePath,
                                    const std::string& stmPath);

}  // namespace tarnwick::cli
