#pragma once

// Values and column definitions shared by the writers of message, header and attachment rows.

#include "tools/storegen/Bytes.h"
#include "tools/storegen/Schema.h"

#include <cstdint>
#include <string>

namespace tarnwick::storegen {

// UTF-8 text as the UTF-16LE bytes a text column holds; characters beyond the basic plane
// become surrogate pairs.
Bytes utf16(const std::string& text);

// A column of a message, header or attachment table; text columns are Unicode.
ColumnDef column(std::uint16_t id, const std::string& name, ColumnType type);

}  // namespace tarnwick::storegen
