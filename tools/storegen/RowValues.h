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

// A property column named as the store names them, a type letter and the property's
// hexadecimal tag: "S3001" Unicode text, "T8199" a time, "L0E07" a long, anything else
// ("N1009") binary.
ColumnDef property(std::uint16_t id, const std::string& name);

}  // namespace tarnwick::storegen
