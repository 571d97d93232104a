// The message-record reader on arbitrary pages of every page size: candidates, directory
// start and the record walk never read outside the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "codec/SevenBitText.h"
#include "codec/UnpackResult.h"
#include "store/MessageRecordReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick::store;
  if (size < 16) return 0;
  const auto cls = static_cast<PageSizeClass>(data[0] % 3);
  const std::size_t pageSize = cls == PageSizeClass::Page4K ? 4096 : cls == PageSizeClass::Page8K ? 8192 : 32768;
  MessageIdBytes id{};
  std::memcpy(id.data(), data + 1, id.size());
  std::vector<std::uint8_t> page(pageSize, 0);
  // The rest of the input fills the page from its end, where the tag array lies, and
  // from its start, where the records and the header lie.
  const std::size_t body = size - 9;
  const std::size_t tail = std::min<std::size_t>(body / 2, pageSize / 2);
  std::memcpy(page.data() + pageSize - tail, data + 9, tail);
  std::memcpy(page.data(), data + 9 + tail, std::min(body - tail, pageSize - tail));

  MessageColumns columns;
  columns.address = static_cast<std::uint16_t>(data[9] | 0x0100);
  columns.plainBody = 0x1000;
  columns.htmlBody = 0x1013;
  columns.rtfBody = 0x1009;
  columns.attachments = 0x0E13;
  columns.startTime = 0x8100;
  columns.endTime = 0x8101;
  for (std::size_t k = 0; k < 18; ++k) columns.contact[k] = static_cast<std::uint16_t>(0x3000 + k);
  columns.appointmentContact = 0x8225;
  columns.appointmentTimeZone = 0x810C;
  columns.appointmentLocation = 0x8201;
  RecordReadOptions options;
  options.streamingFileOpen = (data[0] & 4) != 0;
  options.needsThirdText = (data[0] & 8) != 0;
  options.unpack7Bit = [](std::span<const std::uint8_t> in,
                          std::size_t capacity) -> std::optional<std::vector<std::uint8_t>> {
    std::vector<std::uint8_t> out(capacity, 0);
    tarnwick::codec::UnpackResult r = tarnwick::codec::decode7Bit(in, out);
    if (!r.ok) return std::nullopt;
    out.resize(r.count);
    return out;
  };
  for (const RecordCandidate& c : findMessageRecordCandidates(page, cls)) {
    // Try the id the input names and the bytes actually at the candidate.
    MessageIdBytes here{};
    if (c.position + 8 <= page.size()) std::memcpy(here.data(), page.data() + c.position, 8);
    for (const MessageIdBytes& tryId : {id, here}) {
      if (auto d = matchMessageRecord(page, cls, c, tryId)) {
        MessageRecordFields f = readMessageRecord(page, 1u << 20, cls, c, *d, columns, options);
        if (f.thirdFound && f.thirdOffset >= page.size()) std::abort();
      }
    }
  }
  return 0;
}
