#include "tools/storegen/PageImage.h"

#include <algorithm>
#include <stdexcept>

#include "tools/storegen/EseLayout.h"
#include "tools/storegen/PageChecksum.h"

namespace tarnwick::storegen {

namespace pg = ese::page;

PageImage::PageImage(const FormatTraits& traits) : traits_(traits), bytes_(traits.pageSize, 0) {}

void PageImage::reset(ObjectId owner, std::uint32_t flags) {
  std::fill(bytes_.begin(), bytes_.end(), 0);
  tags_.assign(1, Tag{0, 0, 0});
  dataEnd_ = 0;
  owner_ = owner;
  flags_ = flags | formatPageFlags(traits_);
}

std::size_t PageImage::freeBytes() const {
  const std::size_t used = traits_.pageHeaderSize + dataEnd_ + tags_.size() * pg::kTagSize;
  return traits_.pageSize - used;
}

void PageImage::setExternalHeader(std::span<const std::uint8_t> bytes) {
  // Tag 0 is always the first value of the page; it is set before any node.
  if (tags_.size() != 1 || dataEnd_ != 0) throw std::logic_error("external header after nodes");
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + traits_.pageHeaderSize);
  dataEnd_ = bytes.size();
  tags_[0] = Tag{0, static_cast<std::uint16_t>(bytes.size()), 0};
}

void PageImage::addNode(std::span<const std::uint8_t> node, std::uint16_t nodeFlags) {
  if (node.size() + pg::kTagSize > freeBytes()) throw std::logic_error("node does not fit the page");
  const std::size_t at = traits_.pageHeaderSize + dataEnd_;
  std::copy(node.begin(), node.end(), bytes_.begin() + at);
  if (traits_.nodeFlagsInKeyWord && node.size() >= 2) {
    bytes_[at + 1] = static_cast<std::uint8_t>(bytes_[at + 1] | (nodeFlags << (pg::kNodeFlagShift - 8)));
  }
  tags_.push_back(Tag{static_cast<std::uint16_t>(dataEnd_), static_cast<std::uint16_t>(node.size()), nodeFlags});
  dataEnd_ += node.size();
}

std::span<const std::uint8_t> PageImage::finish(PageNumber number, PageLinks links, std::uint64_t databaseTime) {
  std::span<std::uint8_t> page(bytes_);
  put64(page, pg::kDatabaseTime, databaseTime);
  put32(page, pg::kPreviousPage, links.previous.value);
  put32(page, pg::kNextPage, links.next.value);
  put32(page, pg::kObjectId, owner_.value);
  put16(page, pg::kAvailableSize, static_cast<std::uint16_t>(freeBytes()));
  put16(page, pg::kAvailableUncommitted, 0);
  put16(page, pg::kFirstFreeOffset, static_cast<std::uint16_t>(dataEnd_));
  put16(page, pg::kTagCount, static_cast<std::uint16_t>(tags_.size()));
  put32(page, pg::kFlags, flags_);
  for (std::size_t i = 0; i < tags_.size(); ++i) {
    const std::size_t at = traits_.pageSize - (i + 1) * pg::kTagSize;
    const Tag& t = tags_[i];
    std::uint16_t offsetWord = static_cast<std::uint16_t>(t.offset & traits_.tagFieldMask);
    if (!traits_.nodeFlagsInKeyWord)
      offsetWord = static_cast<std::uint16_t>(offsetWord | (t.flags << pg::kNodeFlagShift));
    put16(page, at, static_cast<std::uint16_t>(t.size & traits_.tagFieldMask));
    put16(page, at + 2, offsetWord);
  }
  if (traits_.blockChecksums) put64(page, pg::kExtendedPageNumber, number.value);
  stampPageChecksum(page, traits_, number);
  return page;
}

std::uint32_t formatPageFlags(const FormatTraits& traits) {
  return pg::kFlagNewRecordFormat | (traits.eccChecksums ? pg::kFlagNewChecksumFormat : 0u);
}

void stampPageChecksum(std::span<std::uint8_t> page, const FormatTraits& traits, PageNumber number) {
  if (!traits.eccChecksums) {
    put32(page, pg::kEccChecksumOrPageNumber, number.value);
    put32(page, pg::kXorChecksum, xorChecksumOldFormat(page));
    return;
  }
  std::size_t headerBlock = page.size();
  if (traits.blockChecksums) {
    headerBlock = pg::kLargeBlockSize;
    for (std::size_t block = 1; block * pg::kLargeBlockSize < page.size(); ++block) {
      const auto sum =
          eccChecksumNewFormat(page.subspan(block * pg::kLargeBlockSize, pg::kLargeBlockSize), number.value, false);
      const std::size_t at = pg::kBlockChecksums + (block - 1) * 8;
      put32(page, at, sum.xorPart);
      put32(page, at + 4, sum.eccPart);
    }
  }
  const auto sum = eccChecksumNewFormat(page.first(headerBlock), number.value, true);
  put32(page, pg::kXorChecksum, sum.xorPart);
  put32(page, pg::kEccChecksumOrPageNumber, sum.eccPart);
}

}  // namespace tarnwick::storegen
