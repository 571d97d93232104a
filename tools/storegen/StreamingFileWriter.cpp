#include "tools/storegen/StreamingFileWriter.h"

#include <algorithm>
#include <stdexcept>

#include "tools/storegen/DatabaseFile.h"
#include "tools/storegen/RunDescriptorEncoding.h"
#include "tools/storegen/StreamingFileLayout.h"

namespace tarnwick::storegen {

namespace {

struct Piece {
  std::uint64_t offset = 0;
  const std::uint8_t* bytes = nullptr;
  std::uint64_t length = 0;
  std::uint64_t end() const { return offset + length; }
};

std::vector<Piece> piecesOf(const std::vector<MessagePlan>& messages) {
  std::vector<Piece> pieces;
  for (const MessagePlan& m : messages) {
    const MessageContentPlan& c = m.content;
    if (c.bodyForm != BodyForm::Streamed) continue;
    const auto* content = reinterpret_cast<const std::uint8_t*>(c.internetMessage.data());
    for (const StreamRun& run : decodeRunDescriptor(c.runDescriptor)) {
      if (static_cast<std::uint64_t>(run.contentOffset) + run.length > c.internetMessage.size()) {
        throw std::logic_error("streamed message: a run lies beyond the message's content");
      }
      pieces.push_back({run.streamOffset, content + run.contentOffset, run.length});
    }
  }
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.offset < b.offset; });
  return pieces;
}

}  // namespace

std::uint64_t writeStreamingFile(const std::string& path, const FormatTraits& traits,
                                 std::span<const std::uint8_t> headerPage, const std::vector<MessagePlan>& messages,
                                 Rng& noise) {
  const std::uint64_t pageSize = traits.pageSize;
  const std::uint64_t firstContent = stm::kHeaderPages * pageSize;
  const std::vector<Piece> pieces = piecesOf(messages);
  std::uint64_t end = firstContent;
  for (const Piece& p : pieces) {
    if (p.offset < end) throw std::logic_error("streamed message runs overlap or reach into the header pages");
    end = p.end();
  }
  end = (end + pageSize - 1) / pageSize * pageSize;

  DatabaseFile file(path, traits);
  file.writeHeaderPages(headerPage);
  std::vector<std::uint8_t> page(pageSize);
  std::size_t next = 0;  // the first piece that may still reach into the page being written
  for (std::uint64_t start = firstContent; start < end; start += pageSize) {
    for (std::size_t i = 0; i < page.size(); i += 8) {
      std::uint64_t r = noise.next();
      for (std::size_t k = 0; k < 8 && i + k < page.size(); ++k, r >>= 8) page[i + k] = static_cast<std::uint8_t>(r);
    }
    while (next < pieces.size() && pieces[next].offset < start + pageSize) {
      const Piece& p = pieces[next];
      const std::uint64_t from = std::max(p.offset, start);
      const std::uint64_t to = std::min(p.end(), start + pageSize);
      std::copy(p.bytes + (from - p.offset), p.bytes + (to - p.offset),
                page.begin() + static_cast<std::ptrdiff_t>(from - start));
      if (p.end() > start + pageSize) break;  // goes on in the next page
      ++next;
    }
    // Page n lies at (n + 1) page sizes, as in the database.
    file.writePage(PageNumber{static_cast<std::uint32_t>(start / pageSize - 1)}, page);
  }
  file.close();
  return std::max(end, firstContent);
}

}  // namespace tarnwick::storegen
