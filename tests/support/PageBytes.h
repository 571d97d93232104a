#pragma once

// Database pages and whole database files for the readers' tests, laid out by the same
// declarations the store generator writes real pages from (tools/storegen/EseLayout.h).
// Unlike the generator's pages these may be damaged on purpose: tags that point anywhere,
// tag counts that claim more tags than there are, no checksums.

#include "store/PageSizeClass.h"
#include "tests/support/Bytes.h"
#include "tools/storegen/EseLayout.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace tarnwick::testing {

namespace ese = storegen::ese;

// The length of the page header: 80 bytes for 32 KB pages, 40 for the others.
inline std::size_t pageHeaderLength(std::size_t pageSize) {
  return pageSize == 32768 ? ese::page::kLargeHeaderSize : ese::page::kSmallHeaderSize;
}

// A page: header fields, records placed one after the other from the end of the header,
// and the tag array. Records and raw tags are visited in the order they were added (the
// first added gets the lowest tag-array address); tags added with tag() are numbered from
// the end of the page (tag 0 last in the page) and lie after those.
class PageBytes {
 public:
  // A root page of `owner` in the new record format: a leaf, or a branch.
  PageBytes(std::size_t pageSize, std::uint32_t owner, bool branch = false)
      : pageSize_(pageSize),
        owner_(owner),
        flags_(ese::page::kFlagRoot | (branch ? 0u : ese::page::kFlagLeaf) | ese::page::kFlagNewRecordFormat),
        headerLength_(pageHeaderLength(pageSize)) {}
  // A page whose header fields are all zero until set.
  explicit PageBytes(std::size_t pageSize) : pageSize_(pageSize), headerLength_(pageHeaderLength(pageSize)) {}

  PageBytes& owner(std::uint32_t objectId) {
    owner_ = objectId;
    return *this;
  }
  PageBytes& flags(std::uint32_t flags) {
    flags_ = flags;
    return *this;
  }
  PageBytes& headerLength(std::size_t length) {
    headerLength_ = length;
    return *this;
  }
  // Writes `count` as the tag count instead of the number of tags.
  PageBytes& tagCount(std::uint16_t count) {
    tagCount_ = count;
    hasTagCount_ = true;
    return *this;
  }
  PageBytes& add(const Bytes& record) {
    records_.push_back(record);
    return *this;
  }
  // A tag with raw size and offset words, visited before the records (for damaged pages).
  PageBytes& rawTag(std::uint16_t sizeWord, std::uint16_t offsetWord) {
    raw_.push_back({sizeWord, offsetWord});
    return *this;
  }
  // The next tag by number, with raw size and offset words.
  PageBytes& tag(std::uint16_t sizeWord, std::uint16_t offsetWord) {
    numbered_.push_back({sizeWord, offsetWord});
    return *this;
  }

  // The page; `positions` gets where each record starts in it.
  Bytes bytes(std::vector<std::uint32_t>* positions = nullptr) const {
    Bytes page(pageSize_, 0);
    putU32(page, ese::page::kObjectId, owner_);
    putU32(page, ese::page::kFlags, flags_);
    std::vector<std::pair<std::uint16_t, std::uint16_t>> visited = raw_;
    std::size_t at = headerLength_;
    for (const auto& r : records_) {
      putBytes(page, at, r);
      visited.push_back({static_cast<std::uint16_t>(r.size()), static_cast<std::uint16_t>(at - headerLength_)});
      if (positions != nullptr) positions->push_back(static_cast<std::uint32_t>(at));
      at += r.size();
    }
    // By tag number: the numbered tags, then the visited ones from the last to the first.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> tags = numbered_;
    tags.insert(tags.end(), visited.rbegin(), visited.rend());
    for (std::size_t i = 0; i < tags.size(); ++i) {
      const std::size_t tagAt = pageSize_ - ese::page::kTagSize * (i + 1);
      putU16(page, tagAt, tags[i].first);
      putU16(page, tagAt + 2, tags[i].second);
    }
    putU16(page, ese::page::kTagCount, hasTagCount_ ? tagCount_ : static_cast<std::uint16_t>(tags.size()));
    page.resize(pageSize_);
    return page;
  }

 private:
  std::size_t pageSize_;
  std::uint32_t owner_ = 0;
  std::uint32_t flags_ = 0;
  std::size_t headerLength_;
  std::uint16_t tagCount_ = 0;
  bool hasTagCount_ = false;
  std::vector<Bytes> records_;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> raw_;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> numbered_;
};

// A leaf page holding `records` one after the other from the end of the header, with a
// tag array that places them. Returns the page and fills `positions` with where each
// record starts in the page.
inline Bytes makeLeafPage(std::uint32_t pageSize, store::PageSizeClass pageSizeClass, const std::vector<Bytes>& records,
                          std::vector<std::uint32_t>* positions = nullptr, std::uint32_t ownerObjectId = 0) {
  PageBytes page(pageSize);
  page.owner(ownerObjectId).flags(ese::page::kFlagLeaf);
  page.headerLength(store::isLargePage(pageSizeClass) ? ese::page::kLargeHeaderSize : ese::page::kSmallHeaderSize);
  for (const Bytes& r : records) page.add(r);
  return page.bytes(positions);
}

// A whole store file: the header page giving the page size, then pages by number (page n
// at (n + 1) x page size), `pageCount` pages long.
class StoreImage {
 public:
  StoreImage(std::uint32_t pageSize, std::uint32_t pageCount) : pageSize_(pageSize), pageCount_(pageCount) {}
  StoreImage& page(std::uint32_t number, const Bytes& bytes) {
    pages_[number] = bytes;
    return *this;
  }
  Bytes bytes() const {
    Bytes file(static_cast<std::size_t>(pageSize_) * (pageCount_ + 1), 0);
    putU32(file, ese::header::kPageSize, pageSize_);
    for (const auto& [number, bytes] : pages_) {
      const std::size_t at = static_cast<std::size_t>(number + 1) * pageSize_;
      if (at + bytes.size() <= file.size()) putBytes(file, at, bytes);
    }
    return file;
  }
  std::uint32_t pageSize() const { return pageSize_; }

 private:
  std::uint32_t pageSize_;
  std::uint32_t pageCount_;
  std::map<std::uint32_t, Bytes> pages_;
};

// A database file of `fileSize` bytes, zero but for the page size in its header (as much of
// that field as the file holds).
inline Bytes storeFileBytes(std::uint32_t pageSize, std::size_t fileSize) {
  Bytes file(fileSize, 0);
  for (std::size_t i = 0; i < 4 && ese::header::kPageSize + i < fileSize; ++i) {
    file[ese::header::kPageSize + i] = static_cast<std::uint8_t>(pageSize >> (8 * i));
  }
  return file;
}

}  // namespace tarnwick::testing
