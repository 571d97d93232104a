#pragma once

// Builders of store bytes laid out the way the scan reads them: pages with header fields
// and tag arrays, catalogue records, mailbox records, folder rows and header rows, and a
// whole store file put together from pages.

#include "codec/SevenBitText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::testing {

using Bytes = std::vector<std::uint8_t>;
using Id8 = std::array<std::uint8_t, 8>;

inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void PutBytes(Bytes& b, std::size_t at, const std::uint8_t* data, std::size_t n) {
  if (b.size() < at + n) b.resize(at + n);
  for (std::size_t i = 0; i < n; ++i) b[at + i] = data[i];
}
inline void PutText(Bytes& b, std::size_t at, std::string_view text) {
  PutBytes(b, at, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
inline void PutId(Bytes& b, std::size_t at, const Id8& id) { PutBytes(b, at, id.data(), id.size()); }
inline void PutUtf16(Bytes& b, std::size_t at, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) Put16(b, at + 2 * i, static_cast<std::uint16_t>(text[i]));
}

inline std::size_t HeaderLength(std::size_t pageSize) { return pageSize == 32768 ? 80 : 40; }

// A page: header fields, records placed one after the other from the end of the header,
// and the tag array. The records are visited in the order they were added (the first
// added gets the lowest tag-array address).
class PageBytes {
 public:
  PageBytes(std::size_t pageSize, std::uint32_t owner, bool branch = false) : pageSize_(pageSize), owner_(owner) {
    branch_ = branch;
  }
  PageBytes& add(const Bytes& record) {
    records_.push_back(record);
    return *this;
  }
  // A tag with raw size and offset words (for damaged pages).
  PageBytes& rawTag(std::uint16_t sizeWord, std::uint16_t offsetWord) {
    raw_.push_back({sizeWord, offsetWord});
    return *this;
  }
  Bytes bytes() const {
    Bytes page(pageSize_, 0);
    Put32(page, 24, owner_);
    page[36] = branch_ ? 0x01 : 0x03;
    page[37] = 0x08;
    const std::size_t header = HeaderLength(pageSize_);
    std::vector<std::pair<std::uint16_t, std::uint16_t>> tags = raw_;
    std::size_t at = header;
    for (const auto& r : records_) {
      PutBytes(page, at, r.data(), r.size());
      tags.push_back({static_cast<std::uint16_t>(r.size()), static_cast<std::uint16_t>(at - header)});
      at += r.size();
    }
    const std::size_t n = tags.size();
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t tagAt = pageSize_ - 4 * (n - k);
      Put16(page, tagAt, tags[k].first);
      Put16(page, tagAt + 2, tags[k].second);
    }
    Put16(page, 34, static_cast<std::uint16_t>(n));
    page.resize(pageSize_);
    return page;
  }

 private:
  std::size_t pageSize_;
  std::uint32_t owner_;
  bool branch_ = false;
  std::vector<Bytes> records_;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> raw_;
};

// A branch record pointing at `child`.
inline Bytes BranchRecord(std::uint32_t child, std::size_t keyLength = 6) {
  Bytes r(keyLength, 0x11);
  Put32(r, keyLength, child);
  return r;
}

// A catalogue record of a table: owning table at N-30, object id at N-24, root page at N-20,
// the folders marker at N-8, the name length at N-2 and the name at N.
inline Bytes TableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage,
                         std::uint32_t owningTable = 1, std::uint32_t marker = 0) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  Put32(r, n - 30, owningTable);
  Put32(r, n - 24, objectId);
  Put32(r, n - 20, rootPage);
  Put32(r, n - 8, marker);
  Put16(r, n - 2, static_cast<std::uint16_t>(name.size()));
  PutText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record of a column (or long value): table at N-29, column id at N-23, column
// type at N-19, 0 at N-1, the name at N.
inline Bytes ColumnRecord(std::string_view name, std::uint32_t table, std::uint32_t columnId,
                          std::uint32_t columnType = 12) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  Put32(r, n - 29, table);
  Put32(r, n - 23, columnId);
  Put32(r, n - 19, columnType);
  r[n - 1] = 0;
  PutText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record naming a 4 KB/8 KB message-header table ("1-1C"): object id at
// N-34, root page at N-24, the length at N-4 and the marker 0x80 at N-3.
inline Bytes SmallHeaderTableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage) {
  Bytes r(40, 0);
  const std::size_t n = 38;
  Put32(r, n - 34, objectId);
  Put32(r, n - 24, rootPage);
  r[n - 4] = static_cast<std::uint8_t>(name.size());
  r[n - 3] = 0x80;
  PutText(r, n, name);
  r.push_back(0);
  return r;
}

// A catalogue record naming a 32 KB message-header table ("MsgHeader-4-48A06756"): object
// id at N-30, root page at N-20, the length at N-2.
inline Bytes LargeHeaderTableRecord(std::string_view name, std::uint32_t objectId, std::uint32_t rootPage) {
  Bytes r(32, 0);
  const std::size_t n = 30;
  Put32(r, n - 30, objectId);
  Put32(r, n - 20, rootPage);
  r[n - 2] = static_cast<std::uint8_t>(name.size());
  PutText(r, n, name);
  r.push_back(0);
  return r;
}

// A mailbox record of a 4 KB/8 KB store: anchor 08 00 18 00 at 54, identifier at 70, the
// directory 8 bytes after it holding the name entry (01 01) and the next entry.
inline Bytes MailboxRecordSmall(const Id8& id, std::u16string_view name) {
  Bytes r(54, 0x20);
  const std::size_t a = 54;
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18, 0x00};
  PutBytes(r, a, anchor, 4);
  const std::size_t k = 16;
  r.resize(a + k, 0);
  r[a + k - 2] = 16;  // G: the directory lies 16 bytes after the identifier's start
  PutId(r, a + k, id);
  const std::size_t t = a + k + 16;
  r.resize(t, 0);
  const std::uint16_t s = 8;
  const auto e = static_cast<std::uint16_t>(s + 1 + 2 * name.size());
  Put16(r, t, 0x0101);
  Put16(r, t + 2, s);
  Put16(r, t + 4, 0x0102);
  Put16(r, t + 6, e);
  r.resize(t + s + 1, 0);
  PutUtf16(r, t + s + 1, name);
  r.resize(t + e + 4, 0);
  return r;
}

// A folder row of a 4 KB/8 KB store: marker A7 00 at 6, folder id at 162, parent id at
// 170, the mailbox id at 178, the directory at 200 with the columns 0x0101, 0x0104, 0x0105
// (name) and the container class.
inline Bytes FolderRowSmall(const Id8& folderId, const Id8& parentId, const Id8& mailboxId, std::u16string_view name,
                            std::u16string_view containerClass, std::uint16_t classColumn = 0x0147) {
  Bytes r(200, 0);
  r[6] = 0xA7;
  r[7] = 0x00;
  const std::size_t f = 162;
  const std::size_t d = 200;
  Put16(r, f - 2, static_cast<std::uint16_t>(d - f));
  PutId(r, f, folderId);
  PutId(r, f + 8, parentId);
  PutId(r, f + 16, mailboxId);
  const std::uint16_t entries = 5 * 4;
  const std::uint16_t second = entries;
  const std::uint16_t nameAt = static_cast<std::uint16_t>(second + 3);
  const auto classAt = static_cast<std::uint16_t>(nameAt + 1 + 2 * name.size());
  const auto end = static_cast<std::uint16_t>(classAt + 1 + 2 * containerClass.size());
  Put16(r, d, 0x0101);
  Put16(r, d + 2, entries);
  Put16(r, d + 4, 0x0104);
  Put16(r, d + 6, second);
  Put16(r, d + 8, 0x0105);
  Put16(r, d + 10, nameAt);
  Put16(r, d + 12, classColumn);
  Put16(r, d + 14, classAt);
  Put16(r, d + 16, 0x0150);
  Put16(r, d + 18, end);
  r.resize(d + end + 1, 0);
  PutUtf16(r, d + nameAt + 1, name);
  PutUtf16(r, d + classAt + 1, containerClass);
  return r;
}

// A model time (6 bytes) of a FILETIME.
inline std::array<std::uint8_t, 6> TimeBytes(std::uint64_t fileTime) {
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
inline Bytes HeaderRowSmall(const Id8& folderId, const Id8& messageId, std::uint64_t fileTime,
                            const HeaderRowText& text, std::uint16_t prefixColumn, std::uint16_t subjectColumn,
                            std::uint64_t fallbackTime = 0) {
  Bytes r(109, 0);
  r[0] = 0x6D;
  auto t = TimeBytes(fileTime);
  PutBytes(r, 10, t.data(), 6);
  auto ft = TimeBytes(fallbackTime);
  PutBytes(r, 91, ft.data(), 6);
  const std::size_t p = 109;
  PutId(r, p, folderId);
  PutId(r, p + 16, messageId);
  const std::size_t d = p + 32;
  const std::uint16_t entries = 4 * 4;
  const std::uint16_t senderAt = entries;
  const auto prefixAt = static_cast<std::uint16_t>(senderAt + 1 + 2 * text.sender.size());
  const auto subjectAt = static_cast<std::uint16_t>(prefixAt + 1 + 2 * text.prefix.size());
  const auto end = static_cast<std::uint16_t>(subjectAt + 1 + 2 * text.subject.size());
  Put16(r, d, 0x0108);
  Put16(r, d + 2, senderAt);
  Put16(r, d + 4, prefixColumn);
  Put16(r, d + 6, prefixAt);
  Put16(r, d + 8, subjectColumn);
  Put16(r, d + 10, subjectAt);
  Put16(r, d + 12, 0x7FFF);
  Put16(r, d + 14, end);
  r.resize(d + end + 1, 0);
  PutUtf16(r, d + senderAt + 1, text.sender);
  PutUtf16(r, d + prefixAt + 1, text.prefix);
  PutUtf16(r, d + subjectAt + 1, text.subject);
  return r;
}

// A 32 KB folder row: the marker CA 00 at 0 (so B = 10 and the 16-bit value V at B - 10 is
// the marker itself, 202), folder id at 2, parent id at 10; the first directory try reads
// the byte at Q = B + V - 12 = 200, which holds 4, so the directory starts at 206.
inline Bytes FolderRowLarge(const Id8& folder, const Id8& parent, const Bytes& nameValue, const Bytes& classValue,
               std::uint16_t classColumn = 0x3613) {
  Bytes r(201, 0);
  r[0] = 0xCA;
  r[1] = 0x00;
  PutId(r, 2, folder);
  PutId(r, 10, parent);
  r[200] = 4;
  const std::size_t d = 206;
  const std::uint16_t entries = 5 * 4;
  const std::uint16_t nameAt = entries + 3;
  const auto classAt = static_cast<std::uint16_t>(nameAt + nameValue.size());
  const auto end = static_cast<std::uint16_t>(classAt + classValue.size());
  Put16(r, d, 0x0101);
  Put16(r, d + 2, entries);
  Put16(r, d + 4, 0x0104);
  Put16(r, d + 6, entries);
  Put16(r, d + 8, 0x0105);
  Put16(r, d + 10, nameAt);
  Put16(r, d + 12, classColumn);
  Put16(r, d + 14, classAt);
  Put16(r, d + 16, 0x0150);
  Put16(r, d + 18, end);
  r.resize(d + end + 2, 0);
  PutBytes(r, d + nameAt, nameValue.data(), nameValue.size());
  PutBytes(r, d + classAt, classValue.data(), classValue.size());
  return r;
}

// A value as a 32 KB row stores it: the format byte, then the text, 7-bit packed for
// format 3 and plain UTF-16 otherwise.
inline Bytes PackedValue(std::string_view ascii) {
  auto packed = codec::encode7Bit(std::span(reinterpret_cast<const std::uint8_t*>(ascii.data()), ascii.size()),
                                    codec::SevenBitKind::Ascii);
  Bytes v(1 + packed->size(), 3);
  std::copy(packed->begin(), packed->end(), v.begin() + 1);
  return v;
}
inline Bytes PlainValue(std::u16string_view text) {
  Bytes v(1 + 2 * text.size(), 1);
  PutUtf16(v, 1, text);
  return v;
}

// A 32 KB header row longer than 88 bytes: byte 2 is 0x20, so the anchor p lies 0x20 + 12
// = 44 bytes into the row; K (the byte at p - 6) is 0x70 = 112, so both times are at p + 90
// and the directory at D = p + K - 8.
inline Bytes HeaderRowLarge(const Id8& folder, const Id8& message, std::uint64_t time, const HeaderRowText& text,
               bool starred = false) {
  Bytes row(44, 0);
  row[2] = 0x20;
  const std::size_t p = 44;
  row[p - 6] = 112;
  PutId(row, p, folder);
  PutId(row, p + 16, message);
  row.resize(p + 112, 0);
  const auto t = TimeBytes(time);
  PutBytes(row, p + (starred ? 82 : 90), t.data(), 6);
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
    Put16(row, d + 4 * i, columns[i]);
    Put16(row, d + 4 * i + 2, offsets[i]);
  }
  row.resize(d + end + 1, 0);
  PutUtf16(row, d + sender + 1, text.sender);
  PutUtf16(row, d + prefix + 1, text.prefix);
  PutUtf16(row, d + subject + 1, text.subject);
  return row;
}

// A mailbox record of a 32 KB store: the identifier at 23, anchor 08 00 18 at 54 (step 12),
// the directory 12 bytes after the step with the name entry; the name 7-bit packed.
inline Bytes MailboxRecordLarge(const Id8& id, std::string_view name) {
  Bytes r(54, 0x20);
  PutId(r, 23, id);
  const std::size_t a = 54;
  const std::uint8_t anchor[] = {0x08, 0x00, 0x18};
  PutBytes(r, a, anchor, 3);
  r.resize(a + 12, 0);
  r[a + 10] = 12;  // G
  const std::size_t t = a + 12 + 12;
  r.resize(t, 0);
  const Bytes value = PackedValue(name);
  Put16(r, t, 0x0101);
  Put16(r, t + 2, 8);
  Put16(r, t + 4, 0x0102);
  Put16(r, t + 6, static_cast<std::uint16_t>(8 + value.size()));
  r.resize(t + 8, 0);
  r.insert(r.end(), value.begin(), value.end());
  r.resize(r.size() + 4, 0);
  return r;
}

// A whole store file: the header page giving the page size, then pages by number (page n
// at (n + 1) x page size), `pageCount` pages long.
class StoreFile {
 public:
  StoreFile(std::uint32_t pageSize, std::uint32_t pageCount) : pageSize_(pageSize), pageCount_(pageCount) {}
  StoreFile& page(std::uint32_t number, const Bytes& bytes) {
    pages_[number] = bytes;
    return *this;
  }
  Bytes bytes() const {
    Bytes file(static_cast<std::size_t>(pageSize_) * (pageCount_ + 1), 0);
    Put32(file, 236, pageSize_);
    for (const auto& [number, bytes] : pages_) {
      const std::size_t at = static_cast<std::size_t>(number + 1) * pageSize_;
      if (at + bytes.size() <= file.size()) PutBytes(file, at, bytes.data(), bytes.size());
    }
    return file;
  }
  std::uint32_t pageSize() const { return pageSize_; }

 private:
  std::uint32_t pageSize_;
  std::uint32_t pageCount_;
  std::map<std::uint32_t, Bytes> pages_;
};

}  // namespace tarnwick::testing
