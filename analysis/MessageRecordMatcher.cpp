#include "analysis/MessageRecordMatcher.h"

#include "codec/SevenBitText.h"
#include "store/MessageRecordLayout.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnwick::analysis {

namespace {

ModelTime modelTime(const store::TimeBytes& bytes) {
  ModelTime t;
  std::memcpy(t.bytes.data(), bytes.data(), t.bytes.size());
  return t;
}

void apply(const store::MessageRecordFields& f, store::FileOffset pageOffset, MessageItem& item) {
  item.recordFound = true;
  if (f.thirdFound && item.thirdOffset == 0) {
    item.thirdPageOffset = pageOffset;
    item.thirdOffset = f.thirdOffset;
    item.thirdLength = f.thirdLength;
  }
  item.recipientLength = f.addressLength;
  item.recipientPosition = store::FileOffset(static_cast<std::int64_t>(f.addressPosition));
  if (f.addressKey) item.bodyKeyB = *f.addressKey;
  item.bodySource = f.bodySource;
  item.bodyLength = f.bodyLength;
  item.bodyPosition = store::FileOffset(static_cast<std::int64_t>(f.bodyPosition));
  if (f.bodyKey) item.bodyKeyA = *f.bodyKey;
  for (const store::MessageIdBytes& id : f.attachmentIds)
    item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(id));
  if (!f.senderAddress.empty()) item.senderAddress = f.senderAddress;
  if (f.contactSlots) {
    std::array<std::u16string_view, ItemProperties::kSlotCount> texts;
    for (std::size_t s = 0; s < texts.size(); ++s) texts[s] = (*f.contactSlots)[s];
    item.kind = FolderKind::Contacts;
    item.properties.addItemProperties(texts);
  }
  if (f.appointment) {
    item.kind = FolderKind::Calendar;
    setAppointment(item.appointment, f.appointment->contact, f.appointment->location, f.appointment->timeZone,
                   modelTime(f.appointment->start), modelTime(f.appointment->end));
  }
}

}  // namespace

store::MessageColumns messageColumnsFor(const ColumnList& messageColumns, std::uint32_t tableObjectId,
                                        store::PageSizeClass pageSizeClass, const AppointmentColumnIds& named) {
  store::MessageColumns c;
  auto setOnce = [](std::uint16_t& field, std::uint16_t id) {
    if (field == 0) field = id;
  };
  for (const ColumnEntry& e : messageColumns) {
    if (e.tableObjectId != tableObjectId) continue;
    switch (e.letter) {
      case 'T': setOnce(c.address, e.columnId); break;
      case 'P': setOnce(c.plainBody, e.columnId); break;
      case 'H': setOnce(c.htmlBody, e.columnId); break;
      case 'R': setOnce(c.rtfBody, e.columnId); break;
      case 'A': setOnce(c.attachments, e.columnId); break;
      case 'I': setOnce(c.startTime, e.columnId); break;
      case 'J': setOnce(c.endTime, e.columnId); break;
      case 'E': setOnce(c.senderAddress, e.columnId); break;
      default:
        if (e.letter < c.contact.size()) setOnce(c.contact[e.letter], e.columnId);
        break;
    }
  }
  if (c.address == 0) {
    c.address = store::isLargePage(pageSizeClass) ? store::message_record::kDefaultAddressColumnLarge
                                                  : store::message_record::kDefaultAddressColumnSmall;
  }
  c.appointmentContact = named.contact8225;
  c.appointmentTimeZone = named.timeZone810c;
  c.appointmentLocation = named.location8201;
  return c;
}

bool readMessageRecords(const MessageRecordPage& page, const store::MessageColumns& columns, bool streamingFileOpen,
                        MessageItemList& items) {
  const std::vector<store::RecordCandidate> candidates =
      store::findMessageRecordCandidates(page.bytes, page.pageSizeClass);
  if (candidates.empty()) return false;
  // Candidates by the message id they hold, in page order within each id: a sorted list
  // rather than a map, as every page of a folder's tables is read this way. Ids are tried
  // in id order; each touches only the items of its own id, so the order among ids does not
  // change what is found.
  std::vector<std::pair<MessageId, std::size_t>> byId;
  byId.reserve(candidates.size());
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    std::size_t at = candidates[i].position;
    if (at > page.bytes.size() || page.bytes.size() - at < 8) continue;
    byId.emplace_back(MessageId::fromBytes(page.bytes.subspan(at, 8)), i);
  }
  std::sort(byId.begin(), byId.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return a.second < b.second;
  });
  const bool large = store::isLargePage(page.pageSizeClass);
  for (std::size_t group = 0; group < byId.size();) {
    const MessageId& id = byId[group].first;
    std::size_t groupEnd = group + 1;
    while (groupEnd < byId.size() && byId[groupEnd].first == id) ++groupEnd;
    const std::span<const std::pair<MessageId, std::size_t>> tries(byId.data() + group, groupEnd - group);
    group = groupEnd;
    for (std::size_t position : items.positionsOf(id)) {
      MessageItem& item = items[position];
      if (item.recordFound) continue;
      if (large && item.ownerKey != page.ownerKey) continue;
      for (const auto& attempt : tries) {
        const std::size_t ci = attempt.second;
        std::optional<std::uint32_t> directory =
            store::matchMessageRecord(page.bytes, page.pageSizeClass, candidates[ci], id.bytes);
        if (!directory) continue;
        store::RecordReadOptions options;
        options.streamingFileOpen = streamingFileOpen;
        options.readsKindTexts = hasContactOrAppointmentTexts(item.kind);
        options.needsThirdText = item.thirdOffset == 0;
        if (large) options.unpack7Bit = codec::unpack7Bit;
        apply(store::readMessageRecord(page.bytes, static_cast<std::uint64_t>(page.fileOffset.value),
                                       page.pageSizeClass, candidates[ci], *directory, columns, options),
              page.fileOffset, item);
        break;
      }
    }
  }
  return true;
}

}  // namespace tarnwick::analysis
