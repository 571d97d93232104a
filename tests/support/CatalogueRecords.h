#pragma once

// Catalogue records as the scan reads them: branch records that point at child pages, and
// the records naming tables, columns and message-header tables.

#include "tests/support/Bytes.h"
#include "tests/support/PageBytes.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace tarnwick::testing {

// A branch record pointing at `child`.
inline Bytes branchRecord(std::uint32_t child, std::size_t keyLength = 6) {
  Bytes r(keyLength, 0x11);
  putU32(r, keyLength, child);
  return r;
}

// A root branch page of `owner` with one branch record per child, in order (0 for none).
inline Bytes branchPage(std::size_t pageSize, std::uint32_t owner, std::initializer_list<std::uint32_t> children) {
  PageBytes page(pageSize, owner, true);
  for (std::uint32_t child : children) page.add(branchRecord(child));
  return page.bytes();
}

// A catalogue record of a table: owning table at N-30, object id at N-24, root page at N-20,
// the folders marker at N-8, the name length at N-2 and the name at N.
inline Bytes tableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage,
                         std::uint32_t owningTable = 1, std::uint32_t marker = 0) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  putU32(r, n - 30, owningTable);
  putU32(r, n - 24, objectId);
  putU32(r, n - 20, rootPage);
  putU32(r, n - 8, marker);
  putU16(r, n - 2, static_cast<std::uint16_t>(name.size()));
  putText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record of a column (or long value): table at N-29, column id at N-23, column
// type at N-19, 0 at N-1, the name at N.
inline Bytes columnRecord(std::string_view name, std::uint32_t table, std::uint32_t columnId,
                          std::uint32_t columnType = 12) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  putU32(r, n - 29, table);
  putU32(r, n - 23, columnId);
  putU32(r, n - 19, columnType);
  r[n - 1] = 0;
  putText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record naming a 4 KB/8 KB message-header table ("1-1C"): object id at
// N-34, root page at N-24, the length at N-4 and the marker 0x80 at N-3.
inline Bytes smallHeaderTableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage) {
  Bytes r(40, 0);
  const std::size_t n = 38;
  putU32(r, n - 34, objectId);
  putU32(r, n - 24, rootPage);
  r[n - 4] = static_cast<std::uint8_t>(name.size());
  r[n - 3] = 0x80;
  putText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record naming a 32 KB message-header table ("MsgHeader-4-48A06756"): object
// id at N-30, root page at N-20, the length at N-2.
inline Bytes largeHeaderTableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  putU32(r, n - 30, objectId);
  putU32(r, n - 20, rootPage);
  r[n - 2] = static_cast<std::uint8_t>(name.size());
  putText(r, n, name);
  r.push_back(0);
  return r;
}

}  // namespace tarnwick::testing
