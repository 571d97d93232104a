#pragma once

#include "content/StoredValueReader.h"

#include <filesystem>

namespace tarnwick::content {

// The file a body of each form is shown from, inside the working directory.
const char* bodyFileName(BodyForm form);

// Writes a body to its file in `directory` ("TarnBody.txt" for Unicode text, written as
// UTF-16LE up to the first NUL character; "TarnBody.html" and "TarnBody.rtf" up to the
// first NUL byte), replacing what was there. Returns the path, or an empty path when the
// file cannot be written.
std::filesystem::path writeBodyFile(const StoredBody& body, const std::filesystem::path& directory);

}  // namespace tarnwick::content
