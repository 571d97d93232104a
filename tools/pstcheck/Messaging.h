// The messaging layer: message store, name-to-id map, folders with their
// hierarchy/contents tables, messages with their recipient and attachment tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tools/pstcheck/NodeDatabase.h"
#include "tools/pstcheck/NodeReader.h"
#include "tools/pstcheck/PropertyContext.h"
#include "tools/pstcheck/TableContext.h"

namespace tarnwick::pstcheck {

class MessagingCheck {
 public:
  MessagingCheck(NodeDatabase& db, NodeReader& reader) : db_(db), reader_(reader), report_(db.report()) {}
  void run();

 private:
  std::optional<PropertyBag> openPc(const NodeEntry& n, const std::string& where);
  std::optional<Table> openTable(Nid nid, const std::string& where);
  void checkRequiredNodes();
  void checkStore();
  void checkNameMap();
  void checkFolder(const NodeEntry& n);
  void checkSearchFolder(const NodeEntry& n);
  std::optional<PropertyBag> checkMessage(const NodeEntry& n);
  void checkParent(const NodeEntry& n, const std::string& where);
  void compareRow(const TableRow& row, const PropertyBag& bag, const std::vector<std::uint32_t>& columns,
                  const std::vector<std::uint32_t>& required, const std::string& where);

  NodeDatabase& db_;
  NodeReader& reader_;
  Report& report_;
  std::unordered_map<std::uint32_t, std::vector<Nid>> childrenByParent_;
  std::unordered_set<std::uint32_t> messagesChecked_;
};

}  // namespace tarnwick::pstcheck
