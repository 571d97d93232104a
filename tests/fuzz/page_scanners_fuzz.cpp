// The attachment-row and long-value page readers on arbitrary pages of every page size:
// no read outside the page, and every chunk's data position lies inside it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "analysis/AttachmentRowReader.h"
#include "analysis/LongValuePageReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::analysis;
  if (size < 4) return 0;
  const auto cls = static_cast<store::PageSizeClass>(data[0] % 3);
  const std::size_t pageSize = cls == store::PageSizeClass::Page4K   ? 4096
                               : cls == store::PageSizeClass::Page8K ? 8192
                                                                     : 32768;
  std::vector<std::uint8_t> page(pageSize, 0);
  const std::size_t body = size - 1;
  const std::size_t tail = std::min<std::size_t>(body / 2, pageSize / 2);
  std::memcpy(page.data() + pageSize - tail, data + 1, tail);
  std::memcpy(page.data(), data + 1 + tail, std::min(body - tail, pageSize - tail));

  for (const LongValueChunk& c : readLongValueChunks(page, cls)) {
    if (c.dataPosition > page.size()) std::abort();
  }
  AttachmentColumns columns =
      store::isLargePage(cls) ? AttachmentColumns{0x0140, 0x0120, 0x0130, 0x0131} : AttachmentColumns::smallPageStore();
  for (const AttachmentCandidate& c : findAttachmentCandidates(page, cls)) {
    if (auto id = candidateIdentifier(page, c)) {
      AttachmentRowResult r = readAttachmentRow(page, 0, cls, c, *id, columns);
      if (auto* row = std::get_if<AttachmentRow>(&r)) {
        if (row->name.size() > AttachmentRowLayout::kMaxName) std::abort();
        if (row->dataOffset > page.size()) std::abort();
      }
    }
  }
  return 0;
}
