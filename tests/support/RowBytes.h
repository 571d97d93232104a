#pragma once

// Rows as the scan reads them: mailbox records, folder rows and message-header rows of
// 4 KB/8 KB and of 32 KB stores, and the times and texts they hold.

#include "codec/SevenBitText.h"
#include "tests/support/Bytes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarnwick::testing {

// A mailbox record of a 4 KB/8 KB store: anchor 08 00 18 00 at 54, identifier at 70, the
// directory 8 bytes after it holding the name entry (01 01) and the next entry.
inline Bytes mailboxRecordSmall(const Id8& id, std::u16string_view name) {
  Bytes r(54, 0x20);
  const std::size_t a = 54;
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18, 0x00};
  putBytes(r, a, anchor, 4);
  const std::size_t k = 16;
  r.resize(a + k, 0);
  r[a + k - 2] = 16;  // G: the directory lies 16 bytes after the identifier's start
  putId(r, a + k, id);
  const std::size_t t = a + k + 16;
  r.resize(t, 0);
  const std::uint16_t s = 8;
  const auto e = static_cast<std::uint16_t>(s + 1 + 2 * name.size());
  putU16(r, t, 0x0101);
  putU16(r, t + 2, s);
  putU16(r, t + 4, 0x0102);
  putU16(r, t + 6, e);
  r.resize(t + s + 1, 0);
  putUtf16(r, t + s + 1, name);
  r.resize(t + e + 4, 0);
  return r;
}

// A folder row of a 4 KB/8 KB store: marker A7 00 at 6, folder id at 162, parent id at
// 170, the mailbox id at 178, the directory at 200 with the columns 0x0101, 0x0104, 0x0105
// (name) and the container class.
inline Bytes folderRowSmall(const Id8& folderId, const Id8& parentId, const Id8& mailboxId, std::u16string_view name,
                            std::u16string_view containerClass, std::uint16_t classColumn = 0x0147) {
  Bytes r(200, 0);
  r[6] = 0xA7;
  r[7] = 0x00;
  const std::size_t f = 162;
  const std::size_t d = 200;
  putU16(r, f - 2, static_cast<std::uint16_t>(d - f));
  putId(r, f, folderId);
  putId(r, f + 8, parentId);
  putId(r, f + 16, mailboxId);
  const std::uint16_t entries = 5 * 4;
  const std::uint16_t second = entries;
  const std::uint16_t nameAt = static_cast<std::uint16_t>(second + 3);
  const auto classAt = static_cast<std::uint16_t>(nameAt + 1 + 2 * name.size());
  const auto end = static_cast<std::uint16_t>(classAt + 1 + 2 * containerClass.size());
  putU16(r, d, 0x0101);
  putU16(r, d + 2, entries);
  putU16(r, d + 4, 0x0104);
  putU16(r, d + 6, second);
  putU16(r, d + 8, 0x0105);
  putU16(r, d + 10, nameAt);
  putU16(r, d + 12, classColumn);
  putU16(r, d + 14, classAt);
  putU16(r, d + 16, 0x0150);
  putU16(r, d + 18, end);
  r.resize(d + end + 1, 0);
  putUtf16(r, d + nameAt + 1, name);
  putUtf16(r, d + classAt + 1, containerClass);
  return r;
}

// A model time (6 bytes) of a FILETIME.
inline std::array<std::uint8_t, 6> timeBytes(std::uint64_t fileTime) {
  std::array<std::uint8_t, 6> t{};
  for (int i = 0; i < 6; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(fileTime >> (16 + 8 * i));
  return t;
}

// FILETIME of 2020-05-17 12:00 UTC.
inline constexpr std::uint64_t kTime2020 = 132341328000000000ULL;

struct HeaderRowText {
  std::u16string prefix;   // subject prefix (may be empty: stored as a 1-byte value)
  std::u16string subject;  // normalized subject
  std::u16string sender;   // third text (column 0x0108)
};

// A header row of a 4 KB/8 KB store: 0x6D at 0, the time at 10, the fallback time at 91,
// the folder id at 109 (the anchor p), the message id at 125 and the directory at 141 with
// 0x0108 (sender), the prefix column and the subject column.
inline Bytes headerRowSmall(const Id8& folderId, const Id8& messageId, std::uint64_t fileTime,
                            const HeaderRowText& text, std::uint16_t prefixColumn, std::uint16_t subjectColumn,
                            std::uint64_t fallbackTime = 0) {
  Bytes r(109, 0);
  r[0] = 0x6D;
  auto t = timeBytes(fileTime);
  putBytes(r, 10, t.data(), 6);
  auto ft = timeBytes(fallbackTime);
  putBytes(r, 91, ft.data(), 6);
  const std::size_t p = 109;
  putId(r, p, folderId);
  putId(r, p + 16, messageId);
  const std::size_t d = p + 32;
  const std::uint16_t entries = 4 * 4;
  const std::uint16_t senderAt = entries;
  const auto prefixAt = static_cast<std::uint16_t>(senderAt + 1 + 2 * text.sender.size());
  const auto subjectAt = static_cast<std::uint16_t>(prefixAt + 1 + 2 * text.prefix.size());
  const auto end = static_cast<std::uint16_t>(subjectAt + 1 + 2 * text.subject.size());
  putU16(r, d, 0x0108);
  putU16(r, d + 2, senderAt);
  putU16(r, d + 4, prefixColumn);
  putU16(r, d + 6, prefixAt);
  putU16(r, d + 8, subjectColumn);
  putU16(r, d + 10, subjectAt);
  putU16(r, d + 12, 0x7FFF);
  putU16(r, d + 14, end);
  r.resize(d + end + 1, 0);
  putUtf16(r, d + senderAt + 1, text.sender);
  putUtf16(r, d + prefixAt + 1, text.prefix);
  putUtf16(r, d + subjectAt + 1, text.subject);
  return r;
}

// A 32 KB folder row: the marker CA 00 at 0 (so B = 10 and the 16-bit value V at B - 10 is
// the marker itself, 202), folder id at 2, parent id at 10; the first directory try reads
// the byte at Q = B + V - 12 = 200, which holds 4, so the directory starts at 206.
inline Bytes folderRowLarge(const Id8& folder, const Id8& parent, const Bytes& nameValue, const Bytes& classValue,
                            std::uint16_t classColumn = 0x3613) {
  Bytes r(201, 0);
  r[0] = 0xCA;
  r[1] = 0x00;
  putId(r, 2, folder);
  putId(r, 10, parent);
  r[200] = 4;
  const std::size_t d = 206;
  const std::uint16_t entries = 5 * 4;
  const std::uint16_t nameAt = entries + 3;
  const auto classAt = static_cast<std::uint16_t>(nameAt + nameValue.size());
  const auto end = static_cast<std::uint16_t>(classAt + classValue.size());
  putU16(r, d, 0x0101);
  putU16(r, d + 2, entries);
  putU16(r, d + 4, 0x0104);
  putU16(r, d + 6, entries);
  putU16(r, d + 8, 0x0105);
  putU16(r, d + 10, nameAt);
  putU16(r, d + 12, classColumn);
  putU16(r, d + 14, classAt);
  putU16(r, d + 16, 0x0150);
  putU16(r, d + 18, end);
  r.resize(d + end + 2, 0);
  putBytes(r, d + nameAt, nameValue.data(), nameValue.size());
  putBytes(r, d + classAt, classValue.data(), classValue.size());
  return r;
}

// A value as a 32 KB row stores it: the format byte, then the text, 7-bit packed for
// format 3 and plain UTF-16 otherwise.
inline Bytes packedValue(std::string_view ascii) {
  auto packed = codec::encode7Bit(std::span(reinterpret_cast<const std::uint8_t*>(ascii.data()), ascii.size()),
                                  codec::SevenBitKind::Ascii);
  Bytes v(1 + packed->size(), 3);
  std::copy(packed->begin(), packed->end(), v.begin() + 1);
  return v;
}
inline Bytes plainValue(std::u16string_view text) {
  Bytes v(1 + 2 * text.size(), 1);
  putUtf16(v, 1, text);
  return v;
}

// A 32 KB header row longer than 88 bytes: byte 2 is 0x20, so the anchor p lies 0x20 + 12
// = 44 bytes into the row; K (the byte at p - 6) is 0x70 = 112, so both times are at p + 90
// and the directory at D = p + K - 8.
inline Bytes headerRowLarge(const Id8& folder, const Id8& message, std::uint64_t time, const HeaderRowText& text,
                            bool starred = false) {
  Bytes row(44, 0);
  row[2] = 0x20;
  const std::size_t p = 44;
  row[p - 6] = 112;
  putId(row, p, folder);
  putId(row, p + 16, message);
  row.resize(p + 112, 0);
  const auto t = timeBytes(time);
  putBytes(row, p + (starred ? 82 : 90), t.data(), 6);
  if (starred) row[p + 90] = row[p + 91] = '*';
  const std::size_t d = p + 112 - 8;
  row.resize(d, 0);
  const std::uint16_t entries = 4 * 4;
  const std::uint16_t sender = entries;
  const auto prefix = static_cast<std::uint16_t>(sender + 1 + 2 * text.sender.size());
  const auto subject = static_cast<std::uint16_t>(prefix + 1 + 2 * text.prefix.size());
  const auto end = static_cast<std::uint16_t>(subject + 1 + 2 * text.subject.size());
  const std::uint16_t columns[] = {0x4001, 0x4002, 0x4003, 0x7FFF};
  const std::uint16_t offsets[] = {sender, prefix, subject, end};
  for (int i = 0; i < 4; ++i) {
    putU16(row, d + 4 * i, columns[i]);
    putU16(row, d + 4 * i + 2, offsets[i]);
  }
  row.resize(d + end + 1, 0);
  putUtf16(row, d + sender + 1, text.sender);
  putUtf16(row, d + prefix + 1, text.prefix);
  putUtf16(row, d + subject + 1, text.subject);
  return row;
}

// A mailbox record of a 32 KB store: the identifier at 23, anchor 08 00 18 at 54 (step 12),
// the directory 12 bytes after the step with the name entry; the name 7-bit packed.
inline Bytes mailboxRecordLarge(const Id8& id, std::string_view name) {
  Bytes r(54, 0x20);
  putId(r, 23, id);
  const std::size_t a = 54;
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18};
  putBytes(r, a, anchor, 3);
  r.resize(a + 12, 0);
  r[a + 10] = 12;  // G
  const std::size_t t = a + 12 + 12;
  r.resize(t, 0);
  const Bytes value = packedValue(name);
  putU16(r, t, 0x0101);
  putU16(r, t + 2, 8);
  putU16(r, t + 4, 0x0102);
  putU16(r, t + 6, static_cast<std::uint16_t>(8 + value.size()));
  r.resize(t + 8, 0);
  r.insert(r.end(), value.begin(), value.end());
  r.resize(r.size() + 4, 0);
  return r;
}

}  // namespace tarnwick::testing
