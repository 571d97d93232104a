#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pst/ltp/TableContextBuilder.h"
#include "pst/messaging/MessageData.h"
#include "pst/messaging/NameIdMap.h"
#include "pst/ndb/NodeDatabaseWriter.h"

namespace tarnwick::pst {

/// A new PST store: the node set of a new Outlook data file (message store, name-to-id
/// map, root folder, "Top of Outlook data file", "Deleted Items", search and view folders
/// and the table templates), folders added below it and messages added to folders.
/// Messages are written as they come; folder objects and their hierarchy, contents and
/// associated-contents tables are written at `close`, when their rows are complete.
class PstStore {
 public:
  PstStore(const std::filesystem::path& path, const std::string& displayName);
  ~PstStore();

  Nid rootFolder() const;
  Nid topOfStore() const;
  Nid deletedItems() const;

  /// The child folder of that name (exact match), or a null Nid.
  Nid findFolder(Nid parent, const std::string& name) const;
  /// Creates a folder below a parent; an existing folder of that name is returned instead.
  Nid createFolder(Nid parent, const std::string& name, const std::string& containerClass);
  void setContainerClass(Nid folder, const std::string& containerClass);
  const std::string& containerClass(Nid folder) const { return this->folder(folder).containerClass; }
  std::size_t folderItemCount(Nid folder) const { return this->folder(folder).contents.size(); }
  std::string folderName(Nid folder) const { return this->folder(folder).name; }
  std::vector<Nid> childFolders(Nid folder) const { return this->folder(folder).children; }

  /// Writes one message into a folder; returns its node id.
  Nid addMessage(Nid folder, MessageData message);

  NameIdMap& names() { return names_; }
  NodeDatabaseWriter& database() { return db_; }
  void close();
  bool isClosed() const { return closed_; }

  /// The 16-byte provider id of this store (PR_RECORD_KEY), part of every entry id.
  const std::array<std::uint8_t, 16>& recordKey() const { return recordKey_; }
  std::vector<std::uint8_t> entryId(Nid nid) const;

 private:
  struct Folder {
    Nid nid;
    Nid parent;
    std::string name;
    std::string comment;
    bool hasComment = false;
    std::string containerClass;
    std::span<const TableColumn> hierarchyColumns;
    std::span<const TableColumn> contentsColumns;
    std::span<const TableColumn> assocColumns;
    std::vector<Nid> children;
    std::vector<std::vector<std::uint8_t>> contents;  // packed contents-table rows
    std::uint32_t unread = 0;
    bool isSearchFolder = false;
    std::uint32_t rowVersion = 1;
  };

  Folder& folder(Nid nid);
  const Folder& folder(Nid nid) const;
  void writeFixedNodes();
  void writeFolder(const Folder& f);
  void writeTable(Nid nid, std::span<const TableColumn> columns, std::vector<TableRow> rows);
  void writeProperties(Nid nid, Nid parent, std::vector<Property> props);
  void writeRaw(Nid nid, std::span<const std::uint8_t> data);
  TableRow hierarchyRow(const Folder& child) const;

  NodeDatabaseWriter db_;
  std::string displayName_;
  std::array<std::uint8_t, 16> recordKey_{};
  NameIdMap names_;
  std::map<std::uint32_t, Folder> folders_;
  bool closed_ = false;
};

}  // namespace tarnwick::pst
