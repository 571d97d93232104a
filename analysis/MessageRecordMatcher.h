#pragma once

#include "analysis/CatalogueLists.h"
#include "analysis/MessageItems.h"
#include "store/MessageRecordReader.h"
#include "store/PageSizeClass.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::analysis {

// The three named appointment columns of the catalogue (0 when unknown; the 8225 column
// counts only when its column type is not 0).
struct AppointmentColumnIds {
  std::uint16_t contact8225 = 0;
  std::uint16_t timeZone810c = 0;
  std::uint16_t location8201 = 0;
};

// The column ids the message-record reader uses for the message table `tableObjectId`:
// the entries of `messageColumns` of that table by letter, and the default address column
// when the catalogue names none.
store::MessageColumns messageColumnsFor(const ColumnList& messageColumns, std::uint32_t tableObjectId,
                                        store::PageSizeClass pageSizeClass, const AppointmentColumnIds& named);

struct MessageRecordPage {
  std::span<const std::uint8_t> bytes;
  store::FileOffset fileOffset;
  store::PageSizeClass pageSizeClass = store::PageSizeClass::Page4K;
  std::optional<std::string> ownerKey;  // 32 KB stores: the message table's mailbox key
};

// Completes the waiting items of `items` from the message records of one page of a
// message table. Items are found by message id through the list's index; an item already
// matched is skipped, and an item takes the first candidate record of the page that holds
// its id and a usable directory. In 32 KB stores only items of the table's mailbox (owner
// key) are completed. Returns false when the page has no candidate record.
bool readMessageRecords(const MessageRecordPage& page, const store::MessageColumns& columns, bool streamingFileOpen,
                        MessageItemList& items);

}  // namespace tarnwick::analysis
