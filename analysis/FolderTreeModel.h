#pragma once

#include "analysis/FolderKind.h"
#include "analysis/SelectionEntry.h"

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// Handle of one item of the folder tree; 0 names no item.
using TreeItemHandle = std::uint32_t;

// Images of the folder tree's image list, by index.
namespace TreeImage {
inline constexpr int kFolder = 0;
inline constexpr int kDatabase = 1;
inline constexpr int kCalendar = 3;
inline constexpr int kContacts = 4;
inline constexpr int kDeletedItems = 5;
inline constexpr int kDrafts = 6;
inline constexpr int kInbox = 7;
inline constexpr int kJournal = 8;
inline constexpr int kJunkEmails = 9;
inline constexpr int kNotes = 10;
inline constexpr int kOutbox = 11;
inline constexpr int kSentItems = 12;
inline constexpr int kTasks = 13;
inline constexpr int kSyncIssues = 14;
}  // namespace TreeImage

// The image a folder of this name and kind gets: Calendar and Contacts give the calendar
// and contacts images whatever the name; otherwise a well-known folder name (compared in
// upper case) gives its image and any other name the generic folder.
int wellKnownFolderImage(const std::u16string& name, FolderKind kind);

// Told of every change of the tree, so that a view can mirror it.
class FolderTreeListener {
 public:
  virtual ~FolderTreeListener() = default;
  virtual void treeReset(TreeItemHandle root) = 0;
  virtual void itemInserted(TreeItemHandle item, TreeItemHandle parent) = 0;
  virtual void childrenSorted(TreeItemHandle parent) = 0;
  virtual void expansionChanged(TreeItemHandle item, bool expanded) = 0;
  virtual void checkChanged(TreeItemHandle item, bool checked, bool bold) = 0;
};

// The folder tree without its widget: the database root item, the mailboxes and folders
// below it with their images, check boxes and bold marks, the list of checked items and
// the selection list built from the checks. The analysis inserts items while it runs; the
// view shows them and passes the user's toggles back.
class FolderTreeModel {
 public:
  void setListener(FolderTreeListener* listener) { listener_ = listener; }

  // Empties the tree and the checked list and inserts the root item for the database.
  void reset(const std::u16string& databasePath);
  // Empties the tree and the checked list, leaving no root item.
  void clear();
  TreeItemHandle root() const { return root_; }

  // Inserts a folder after the last child of `parent`; with no parent (0) the item goes
  // directly below the database root with the generic image whatever its name (this is
  // how mailboxes go in). The new item is expanded at once. Returns its handle, or 0 when
  // the tree has not been reset or `parent` is unknown.
  TreeItemHandle insertFolder(TreeItemHandle parent, const std::u16string& name, FolderKind kind);
  // Sorts the children of `item` by their text, ignoring letter case.
  void sortChildren(TreeItemHandle item);
  // Sorts the root's children, then collapses and expands the root again.
  void finish();

  // A user's toggle: checks the item when it is unchecked and unchecks it otherwise, does
  // the same to every descendant, then updates the checks and bold marks of the ancestors.
  void toggle(TreeItemHandle item);

  bool contains(TreeItemHandle item) const { return item != 0 && item < items_.size() && items_[item].live; }
  bool isChecked(TreeItemHandle item) const;
  bool isBold(TreeItemHandle item) const;
  bool isExpanded(TreeItemHandle item) const;
  TreeItemHandle parent(TreeItemHandle item) const;
  const std::vector<TreeItemHandle>& children(TreeItemHandle item) const;
  const std::u16string& text(TreeItemHandle item) const;
  int image(TreeItemHandle item) const;
  std::size_t itemCount() const;

  // One entry per checked item, each the item handle in lower-case hexadecimal, in the
  // order the items were checked. Save is enabled while it is not empty.
  std::vector<std::string> checkedList() const;
  std::size_t checkedCount() const { return checkedOrder_.size(); }

  // Every checked item, parents before children, siblings in tree order, with its path:
  // the texts of the item and its ancestors below the root, from the top, each followed
  // by a backslash (the root itself gives an empty path).
  SelectionList buildSelectionList() const;
  // Unchecks every entry's item with its descendants, updates their ancestors, and
  // empties the list.
  void clearSelection(SelectionList& list);

  // The text of the item's top-level ancestor (the child of the root) followed by a
  // backslash; empty for the root itself.
  std::u16string mailboxNameFor(TreeItemHandle item) const;

  // The item's path as the selection list gives it.
  std::u16string folderPath(TreeItemHandle item) const;

  static constexpr std::size_t kMaxPathLevels = 200;
  static constexpr std::size_t kMaxPathLength = 999;

 private:
  struct Item {
    std::u16string text;
    int image = 0;
    TreeItemHandle parent = 0;
    std::vector<TreeItemHandle> children;
    bool checked = false;
    bool bold = false;
    bool expanded = false;
    bool live = false;
  };

  void setCheck(TreeItemHandle item, bool checked);
  void setCheckWithDescendants(TreeItemHandle item, bool checked);
  void updateAncestors(TreeItemHandle item);

  std::vector<Item> items_;  // index is the handle; index 0 unused
  TreeItemHandle root_ = 0;
  std::list<TreeItemHandle> checkedOrder_;
  std::unordered_map<TreeItemHandle, std::list<TreeItemHandle>::iterator> checkedIndex_;
  FolderTreeListener* listener_ = nullptr;
};

}  // namespace tarnwick::analysis
