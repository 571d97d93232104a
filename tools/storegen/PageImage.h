#pragma once

// One database page being built: header fields, the values (nodes) stored from the end of
// the header upwards and the tag array that locates them from the end of the page down.

#include <cstdint>
#include <span>
#include <vector>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/Ids.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

struct PageLinks {
  PageNumber previous;
  PageNumber next;
};

class PageImage {
 public:
  explicit PageImage(const FormatTraits& traits);

  // Starts an empty page owned by `owner` with the given page flags (without the
  // format flags, which are added here). Tag 0 (the external header) starts empty.
  void reset(ObjectId owner, std::uint32_t flags);
  void setExternalHeader(std::span<const std::uint8_t> bytes);
  // Appends one node; `nodeFlags` go where the format keeps them.
  void addNode(std::span<const std::uint8_t> node, std::uint16_t nodeFlags);
  // Room left for data and tags.
  std::size_t freeBytes() const;

  // Writes the header, the tag array and the checksums for page `number`.
  std::span<const std::uint8_t> finish(PageNumber number, PageLinks links, std::uint64_t databaseTime);

  const FormatTraits& traits() const { return traits_; }

 private:
  const FormatTraits& traits_;
  std::vector<std::uint8_t> bytes_;
  struct Tag {
    std::uint16_t offset;
    std::uint16_t size;
    std::uint16_t flags;
  };
  std::vector<Tag> tags_;    // tag 0 first
  std::size_t dataEnd_ = 0;  // relative to the end of the header
  ObjectId owner_;
  std::uint32_t flags_ = 0;
};

// The flags every data page of the format carries besides the tree flags.
std::uint32_t formatPageFlags(const FormatTraits& traits);
// Applies the page checksum of the format to a finished page image.
void stampPageChecksum(std::span<std::uint8_t> page, const FormatTraits& traits, PageNumber number);

}  // namespace tarnwick::storegen
