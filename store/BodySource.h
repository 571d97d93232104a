#pragma once

#include <cstdint>

namespace tarnwick::store {

// Where the message-record reader found a message's body.
enum class BodySource : std::uint8_t {
  Unknown,        // no message record read yet
  PlainUnicode,   // the plain-text column, UTF-16 (or 7-bit packed) in the database
  StreamingFile,  // the record names a run of the streaming file
  Other,          // the HTML or RTF column, or no body column at all
};

}  // namespace tarnwick::store
