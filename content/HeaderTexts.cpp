#include "content/HeaderTexts.h"

#include "platform/CodePage.h"
#include "store/PackedText.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnwick::content {

namespace {
using Limits = HeaderTextLimits;

std::vector<std::uint8_t> readPage(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                   std::int64_t offset) {
  if (offset < 0 || geometry.PageSize <= 0) return {};
  std::vector<std::uint8_t> page(static_cast<std::size_t>(geometry.PageSize));
  page.resize(db.readAt(static_cast<std::uint64_t>(offset), page));
  return page;
}
}  // namespace

std::u16string headerText(std::span<const std::uint8_t> page, std::uint16_t offset, std::uint16_t length,
                          bool largePages, std::size_t rawMax) {
  std::u16string text;
  if (offset == 0 || length < 1 || offset >= page.size()) return text;
  const std::size_t end = std::min<std::size_t>(page.size(), static_cast<std::size_t>(offset) + length - 1);
  std::span<const std::uint8_t> value = page.subspan(offset, end - offset);
  // A 32 KB store packs a text 7 bits per character when its format byte is 3; a text
  // stored with any other format byte holds its UTF-16 characters as they are.
  if (largePages && !value.empty() && page[offset - 1] == Limits::kSingleByteFormat) {
    std::optional<std::u16string> unpacked = store::unpackStoredText(value, page[offset - 1], Limits::kMaxDecoded);
    if (unpacked && !unpacked->empty()) return *unpacked;
  }
  std::size_t count = 0;
  while (count < rawMax && 2 * count + 1 < value.size() && (value[2 * count] != 0 || value[2 * count + 1] != 0)) {
    ++count;
  }
  text.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    text[i] = static_cast<char16_t>(value[2 * i] | (value[2 * i + 1] << 8));
  }
  return text;
}

std::span<const std::uint8_t> HeaderPageCache::page(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                                    std::int64_t offset, Role role) {
  Kept& k = kept_[role == Role::Header ? 0 : 1];
  if (k.offset != offset || offset < 0) {
    k.offset = offset;
    if (offset < 0 || geometry.PageSize <= 0) {
      k.bytes.clear();
    } else {
      // The kept buffer is reused: a list changes pages hundreds of times.
      k.bytes.resize(static_cast<std::size_t>(geometry.PageSize));
      k.bytes.resize(db.readAt(static_cast<std::uint64_t>(offset), k.bytes));
    }
  }
  return k.bytes;
}

HeaderTexts readHeaderTexts(const store::ByteSource& db, const store::StoreGeometry& geometry,
                            const analysis::MessageItem& item, HeaderPageCache* cache) {
  HeaderTexts texts;
  const bool large = store::isLargePage(geometry.PageSizeClass);
  std::vector<std::uint8_t> ownPage;
  auto pageAt = [&](std::int64_t offset, HeaderPageCache::Role role) -> std::span<const std::uint8_t> {
    if (cache != nullptr) return cache->page(db, geometry, offset, role);
    ownPage = readPage(db, geometry, offset);
    return ownPage;
  };
  std::span<const std::uint8_t> page = pageAt(item.pageOffset.value, HeaderPageCache::Role::Header);
  std::u16string first = headerText(page, item.primaryOffset, item.primaryLength, large, Limits::kMaxSubject);
  std::u16string second = headerText(page, item.secondaryOffset, item.secondaryLength, large, Limits::kMaxSubject);
  std::u16string& head = large ? second : first;
  head += large ? first : second;
  texts.subject = std::move(head);
  if (texts.subject.size() > Limits::kMaxSubject) texts.subject.resize(Limits::kMaxSubject);

  if (item.thirdOffset == 0 || item.thirdLength == 0) return texts;
  if (item.thirdPageOffset.value <= 0) {
    texts.sender = headerText(page, item.thirdOffset, item.thirdLength, large, Limits::kMaxRawSender);
    return texts;
  }
  std::span<const std::uint8_t> recordPage = pageAt(item.thirdPageOffset.value, HeaderPageCache::Role::Record);
  std::size_t from = static_cast<std::size_t>(item.thirdOffset) + 1;
  if (from >= recordPage.size()) return texts;
  std::size_t n = std::min<std::size_t>({item.thirdLength, recordPage.size() - from, Limits::kMaxAnsiSender});
  if (n == 0 || recordPage[from] <= 1 || recordPage[from] > 126) return texts;
  n = static_cast<std::size_t>(std::find(recordPage.begin() + static_cast<std::ptrdiff_t>(from),
                                         recordPage.begin() + static_cast<std::ptrdiff_t>(from + n), 0) -
                               (recordPage.begin() + static_cast<std::ptrdiff_t>(from)));
  texts.sender = windows1252ToUtf16(std::string_view(reinterpret_cast<const char*>(recordPage.data() + from), n));
  return texts;
}

}  // namespace tarnwick::content
