#pragma once

#include <cstdint>

namespace tarnwick::analysis {

// A column named by the catalogue: its id and its column type.
struct NamedColumn {
  std::uint32_t columnId = 0;
  std::uint32_t columnType = 0;
};

// What the catalogue walk keeps besides the table and column lists of the model: the root
// pages and object ids of the tables the later steps need and the named columns. All zero
// at the start of each analysis.
struct CatalogueFindings {
  std::uint32_t MailboxTablePage = 0;
  std::uint32_t MailboxTableObjectId = 0;
  std::uint32_t MessageTablePage = 0;
  std::uint32_t FolderTablePage = 0;
  std::uint32_t MessageLongValuePage = 0;
  std::uint32_t MessageLongValueObjectId = 0;
  std::uint32_t SecondLongValuePage = 0;

  NamedColumn ContainerClassColumn;
  NamedColumn MessageColumn8225;
  NamedColumn MessageColumn810c;
  NamedColumn MessageColumn8201;

  // Everything the leaf examination looks for is known: it can stop.
  bool allKnown() const {
    return MessageLongValuePage != 0 && ContainerClassColumn.columnType != 0 && MessageColumn8225.columnType != 0 &&
           MessageColumn810c.columnType != 0 && MessageColumn8201.columnType != 0 && MailboxTablePage != 0 &&
           MessageTablePage != 0;
  }
};

}  // namespace tarnwick::analysis
