#include "tools/storegen/AttachmentPlanning.h"

#include <algorithm>
#include <set>
#include <string>

#include "tools/storegen/LongValueWriter.h"
#include "tools/storegen/RecordEncoder.h"

namespace tarnwick::storegen {

namespace {

constexpr std::size_t kShortestLastChunk = 64;

// Names a reader must keep as data and never take for a path, and ordinary ones. Every
// character's low byte is above 2: a reader copies name characters while it is.
constexpr const char* kAwkwardNames[] = {
    "../../escape.txt",
    "..\\..\\windows\\system.ini",
    "C:\\boot.ini",
    "reports/2024/q3.xlsx",
    "a:b:c.txt",
    "Résumé – Müller.docx",
    "\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\x87\xE4\xBB\xB6.pdf",  // Chinese: "Chinese file"
    "..",
    "notes..txt",
};
constexpr const char* kOrdinaryNames[] = {
    "report.pdf", "photo.jpg", "minutes.txt", "budget.xlsx", "slides.pptx", "invoice 2024.pdf",
};

bool isAppointment(const StorePlan& plan, const MessagePlan& m) {
  return m.content.kind == ItemKind::Appointment || plan.folders[m.folder].kind == 'a';
}

bool takesAttachments(const StorePlan& plan, const MessagePlan& m) {
  if (isAppointment(plan, m)) return true;
  return m.content.kind == ItemKind::Mail && plan.folders[m.folder].kind == 0;
}

// A row key whose four little-endian bytes hold neither 0, 1 nor 0x18: the identifier repeats
// them, and readers look for 1 bytes and zero runs around identifiers.
std::uint32_t nextRowKey(Rng& rng, std::set<std::uint32_t>& used) {
  for (;;) {
    std::uint32_t key = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint32_t b = 0x20 + static_cast<std::uint32_t>(rng.below(0xD0));
      if (i == 3) b = kAttachmentRowKeyHighByte + static_cast<std::uint32_t>(rng.below(0x10));
      key |= b << (8 * i);
    }
    if (used.insert(key).second) return key;
  }
}

// Random bytes; a long value's chunks never start with 0x18, the mark of a packed chunk.
std::vector<std::uint8_t> dataOf(std::size_t size, std::size_t chunk, Rng& rng) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) {
    data[i] = static_cast<std::uint8_t>(rng.next());
    if (i % chunk == 0 && data[i] == 0x18) data[i] = 0x19;
  }
  return data;
}

}  // namespace

std::uint64_t attachmentIdentifier(std::uint32_t rowKey) {
  return static_cast<std::uint64_t>(rowKey) | (static_cast<std::uint64_t>(rowKey) << 32);
}

std::uint32_t attachmentRowKey(std::uint64_t identifier) { return static_cast<std::uint32_t>(identifier); }

void planAttachments(StorePlan& plan, Rng& rng) {
  const FormatTraits& traits = traitsOf(plan.format);
  const std::size_t chunk = LongValueWriter::chunkSize(traits);
  std::set<std::uint32_t> used;
  std::size_t awkward = 0;
  std::size_t ordinary = 0;
  std::size_t planned = 0;
  bool appointmentPlanned = false;
  for (MessagePlan& m : plan.messages) {
    if (!takesAttachments(plan, m)) continue;
    // The first few messages and the first appointment always carry some, so that small
    // stores have attachments of both.
    const bool firstAppointment = !appointmentPlanned && isAppointment(plan, m);
    if (planned >= 3 && !firstAppointment && rng.below(3) != 0) continue;
    appointmentPlanned = appointmentPlanned || isAppointment(plan, m);
    const std::size_t count = planned == 0 ? 3 : 1 + rng.below(3);
    ++planned;
    for (std::size_t i = 0; i < count; ++i) {
      AttachmentPlan a;
      a.id = attachmentIdentifier(nextRowKey(rng, used));
      const bool odd = rng.below(2) == 0;
      a.fileName = odd ? kAwkwardNames[awkward++ % std::size(kAwkwardNames)]
                       : kOrdinaryNames[ordinary++ % std::size(kOrdinaryNames)];
      // Names are unique within a message: a reader keeps one attachment per name.
      for (const AttachmentPlan& other : m.content.attachments) {
        if (other.fileName == a.fileName) a.fileName = std::to_string(i) + "-" + a.fileName;
      }
      std::size_t size = 0;
      if (rng.below(2) == 0) {
        // Inline: never 4 bytes, whose 5-byte value a reader takes for a long-value reference.
        size = 1 + rng.below(RecordEncoder::kSeparateAbove);
        if (size == 4) size = 3;
        a.placement = ValuePlacement::Inline;
      } else {
        // Separated: one to three chunks of the long-value tree.
        size = RecordEncoder::kSeparateAbove + 1 + rng.below(3 * chunk - RecordEncoder::kSeparateAbove);
        // A last chunk of a few bytes makes a node as small as a long value's root node, and
        // a page reader takes it for one: last chunks here hold at least kShortestLastChunk.
        if (size % chunk != 0 && size % chunk < kShortestLastChunk) size += kShortestLastChunk;
        a.placement = ValuePlacement::LongValue;
      }
      a.data = dataOf(size, chunk, rng);
      m.content.attachments.push_back(std::move(a));
    }
    // A message's attachment rows follow each other, keyed from the last attachment to the
    // first: a scan reads the pages of a table from its last leaf back to its first, so the
    // attachments come out in the message's order even when their rows span two pages.
    std::vector<std::uint64_t> ids;
    for (const AttachmentPlan& a : m.content.attachments) ids.push_back(a.id);
    std::sort(ids.begin(), ids.end(),
              [](std::uint64_t x, std::uint64_t y) { return attachmentRowKey(x) > attachmentRowKey(y); });
    for (std::size_t i = 0; i < ids.size(); ++i) m.content.attachments[i].id = ids[i];
  }
}

}  // namespace tarnwick::storegen
