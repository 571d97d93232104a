#pragma once

#include "store/BoundedBytes.h"
#include "store/PageSizeClass.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::store {

// What one catalogue record was recognised as.
enum class CatalogueMatchKind : std::uint8_t {
  MailboxTable,         // "Mailbox"
  MessageTable,         // "Msg"
  BodyTable,            // "Body-" (32 KB stores)
  FolderTable,          // "Folders"
  MessageLongValue,     // "LV" of the message table
  TableLongValue,       // "LV" of another table (32 KB stores)
  SecondLongValue,      // "LV" of table 61
  ContainerClass,       // "S361" of the folders table
  ContainerClassOther,  // "S361" of another table (32 KB stores)
  Column8225,           // "S8225"
  Column810c,           // "S810c"
  Column8201,           // "S8201"
  MessageColumn,        // a column of the message-column list, with its kind
  NoteColumn,           // 'S', 'T' or 'F'
  AttachmentColumn,     // 'A', 'B', 'C' or 'I'
};

// One recognised catalogue record and the numbers read at fixed distances before its name.
struct CatalogueMatch {
  CatalogueMatchKind kind{};
  std::int64_t namePosition = 0;    // N: first byte of the name in the page
  std::uint32_t objectId = 0;       // table records: the table; "LV": the long-value object
  std::uint32_t rootPage = 0;       // table records: root page; "LV": long-value root page
  std::uint32_t tableObjectId = 0;  // column records: the table the column belongs to
  std::uint16_t columnId = 0;
  std::uint32_t columnType = 0;
  std::uint8_t letter = 0;  // kind letter or contact index of a column reference
  std::string suffix;       // "Body-" and 32 KB "Folders" names: the text after the prefix
};

// Searches one catalogue record (the bytes [recordStart, recordEnd) of `page`) for the
// table and column names the scan needs, in their fixed order, and returns the first name
// whose extra test passes. Reads before the record stay inside the page.
std::optional<CatalogueMatch> matchCatalogueRecord(const BoundedBytes& page, std::int64_t recordStart,
                                                   std::int64_t recordEnd, PageSizeClass pageSizeClass);

// The records of one catalogue page searched as matchCatalogueRecord searches each, with
// every position of the page examined once however many records cover it: the tags of a
// damaged page may make thousands of records that each span most of the page.
class CataloguePageMatcher {
 public:
  CataloguePageMatcher(const BoundedBytes& page, PageSizeClass pageSizeClass)
      : page_(page), pageSizeClass_(pageSizeClass) {}
  std::optional<CatalogueMatch> matchRecord(std::int64_t recordStart, std::int64_t recordEnd);
  // How many positions of the page were examined so far.
  std::int64_t positionsExamined() const { return static_cast<std::int64_t>(nextMatch_.size()); }

 private:
  const BoundedBytes& page_;
  PageSizeClass pageSizeClass_;
  // Built on first use: for each position, the first position at or after it where a name
  // matches; the page size where none does.
  std::vector<std::int64_t> nextMatch_;
};

}  // namespace tarnwick::store
