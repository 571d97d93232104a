#pragma once

// Writes a whole store from a scenario: the database file (header and shadow, database
// root, catalogue and its shadow, every table with its long values), for 4 KB stores the
// streaming file with the runs of the streamed messages, then the damage asked for;
// returns what the manifest lists.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/storegen/PageDamage.h"
#include "tools/storegen/Scenario.h"
#include "tools/storegen/StorePlan.h"
#include "tools/storegen/TableWriter.h"

namespace tarnwick::storegen {

struct WrittenTable {
  std::string name;
  ObjectId objectId;
  PageNumber rootPage;
  std::uint64_t records = 0;
  std::uint64_t pages = 0;
  std::uint32_t levels = 0;
  bool hasLongValues = false;
  ObjectId longValueObjectId;
  PageNumber longValueRootPage;
  std::uint64_t longValues = 0;
  std::uint64_t longValuePages = 0;
  std::string templateName;
  std::vector<ColumnDef> columns;
  std::vector<PageNumber> pageNumbers;  // catalogue trees only
};

struct StoreReport {
  StoreFormat format;
  std::uint64_t randomSeed = 0;
  std::string edbPath;
  std::string stmPath;          // empty unless 4 KB
  std::uint32_t pageCount = 0;  // pages after the two header pages
  std::uint64_t fileSize = 0;
  std::vector<WrittenTable> tables;
  std::vector<MailboxPlan> mailboxes;
  std::vector<FolderPlan> folders;    // folders whose rows the store holds
  std::vector<MessagePlan> messages;  // message headers the store holds
  DamageReport damage;
};

StoreReport writeStore(const Scenario& scenario, const std::string& outDir);

}  // namespace tarnwick::storegen
