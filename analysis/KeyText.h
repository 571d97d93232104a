#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarnwick::analysis {

// The mailbox key of a 32 KB store: the text that ties folder tables, folders and message
// headers to their mailbox, made from the mailbox identifier. For the identifier
// 04 00 00 00 48 A0 67 56 it is "4-48A06756".
std::string mailboxKeyText(const std::array<std::uint8_t, 8>& id);

// The name of the message-header table of the folder or mailbox with identifier `id`, in
// upper case: "1-1C" for 01 00 00 00 00 00 00 1C in a 4 KB/8 KB store, "MSGHEADER-1-1C" in
// a 32 KB store (`largeStore`).
std::string headerTableName(const std::array<std::uint8_t, 8>& id, bool largeStore);

}  // namespace tarnwick::analysis
