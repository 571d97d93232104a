#pragma once

// Message records and attachment rows of 4 KB / 8 KB stores as the content readers find
// them: a tagged-column directory and its values after the record's fixed part.

#include "tests/support/Bytes.h"

#include <array>
#include <vector>

namespace tarnwick::testing {

struct DirectoryEntry {
  std::uint16_t column;
  Bytes value;
};

// A tagged-column directory followed by its values.
inline Bytes directory(const std::vector<DirectoryEntry>& entries) {
  Bytes d(4 * entries.size(), 0);
  std::uint16_t offset = static_cast<std::uint16_t>(d.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    putU16(d, 4 * i, entries[i].column);
    putU16(d, 4 * i + 2, offset);
    offset = static_cast<std::uint16_t>(offset + entries[i].value.size());
  }
  for (const DirectoryEntry& e : entries) appendBytes(d, e.value);
  return d;
}

// A message record of a 4 KB / 8 KB store: marker 21 00 at `markerAt`, the message id 35
// bytes after the marker, the directory 24 bytes after the id.
inline Bytes smallMessageRecord(const std::array<std::uint8_t, 8>& id, const std::vector<DirectoryEntry>& entries,
                                std::size_t markerAt = 3) {
  Bytes r(markerAt + 35, 0x11);
  r[markerAt] = 0x21;
  r[markerAt + 1] = 0x00;
  appendBytes(r, Bytes(id.begin(), id.end()));
  r.resize(r.size() + 16, 0x22);
  appendBytes(r, directory(entries));
  return r;
}

// A 4 KB attachment row: the marker 01 00 00 00, the identifier 8 bytes later, then the
// directory (whose first entry must have a high column byte of 1 and a next entry with a
// high byte of 1, as the row search wants).
inline Bytes smallAttachmentRow(const std::array<std::uint8_t, 8>& id, const std::vector<DirectoryEntry>& entries) {
  Bytes r{0x55, 0x55, 1, 0, 0, 0, 0, 0, 0, 9};
  appendBytes(r, Bytes(id.begin(), id.end()));
  r.resize(r.size() + 4, 0x33);
  appendBytes(r, directory(entries));
  return r;
}

inline Bytes utf16Value(std::u16string_view s, std::uint8_t format = 0x1F) {
  Bytes b(1, format);
  appendUtf16(b, s);
  return b;
}

}  // namespace tarnwick::testing
