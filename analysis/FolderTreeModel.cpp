#include "analysis/FolderTreeModel.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick::analysis {

namespace {

char16_t upperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

std::u16string upperCase(const std::u16string& text) {
  std::u16string out(text);
  for (auto& c : out) c = upperAscii(c);
  return out;
}

struct WellKnownFolder {
  std::u16string_view upperName;
  int image;
};

// Compared in this order; the first equal name wins.
constexpr WellKnownFolder kWellKnownFolders[] = {
    {u"CALENDAR", TreeImage::kCalendar},
    {u"CONTACTS", TreeImage::kContacts},
    {u"DELETED ITEMS", TreeImage::kDeletedItems},
    {u"DRAFTS", TreeImage::kDrafts},
    {u"INBOX", TreeImage::kInbox},
    {u"JOURNAL", TreeImage::kJournal},
    {u"JUNK E-MAILS", TreeImage::kJunkEmails},
    {u"NOTES", TreeImage::kNotes},
    {u"OUTBOX", TreeImage::kOutbox},
    {u"SENT ITEMS", TreeImage::kSentItems},
    {u"TASKS", TreeImage::kTasks},
    {u"SYNC ISSUES", TreeImage::kSyncIssues},
};

const std::vector<TreeItemHandle> kNoChildren;
const std::u16string kNoText;

}  // namespace

int wellKnownFolderImage(const std::u16string& name, FolderKind kind) {
  if (kind == FolderKind::Calendar) return TreeImage::kCalendar;
  if (kind == FolderKind::Contacts) return TreeImage::kContacts;
  const std::u16string upper = upperCase(name);
  for (const auto& folder : kWellKnownFolders) {
    if (upper == folder.upperName) return folder.image;
  }
  return TreeImage::kFolder;
}

void FolderTreeModel::clear() {
  items_.clear();
  checkedOrder_.clear();
  checkedIndex_.clear();
  root_ = 0;
  if (listener_) listener_->treeReset(0);
}

void FolderTreeModel::reset(const std::u16string& databasePath) {
  items_.clear();
  checkedOrder_.clear();
  checkedIndex_.clear();
  items_.emplace_back();  // handle 0 names no item
  Item rootItem;
  rootItem.text = databasePath;
  rootItem.image = TreeImage::kDatabase;
  rootItem.live = true;
  items_.push_back(std::move(rootItem));
  root_ = 1;
  if (listener_) listener_->treeReset(root_);
  sortChildren(root_);
  items_[root_].expanded = true;
  if (listener_) listener_->expansionChanged(root_, true);
}

TreeItemHandle FolderTreeModel::insertFolder(TreeItemHandle parentItem, const std::u16string& name, FolderKind kind) {
  if (root_ == 0) return 0;
  int image = wellKnownFolderImage(name, kind);
  if (parentItem == 0) {
    parentItem = root_;
    image = TreeImage::kFolder;
  }
  if (!contains(parentItem)) return 0;
  Item item;
  item.text = name;
  item.image = image;
  item.parent = parentItem;
  item.live = true;
  item.expanded = true;
  const auto handle = static_cast<TreeItemHandle>(items_.size());
  items_.push_back(std::move(item));
  items_[parentItem].children.push_back(handle);
  if (listener_) {
    listener_->itemInserted(handle, parentItem);
    listener_->expansionChanged(handle, true);
  }
  return handle;
}

void FolderTreeModel::sortChildren(TreeItemHandle item) {
  if (!contains(item)) return;
  auto& kids = items_[item].children;
  std::stable_sort(kids.begin(), kids.end(), [this](TreeItemHandle a, TreeItemHandle b) {
    return upperCase(items_[a].text) < upperCase(items_[b].text);
  });
  if (listener_) listener_->childrenSorted(item);
}

void FolderTreeModel::finish() {
  if (root_ == 0) return;
  sortChildren(root_);
  items_[root_].expanded = false;
  if (listener_) listener_->expansionChanged(root_, false);
  items_[root_].expanded = true;
  if (listener_) listener_->expansionChanged(root_, true);
}

bool FolderTreeModel::isChecked(TreeItemHandle item) const { return contains(item) && items_[item].checked; }
bool FolderTreeModel::isBold(TreeItemHandle item) const { return contains(item) && items_[item].bold; }
bool FolderTreeModel::isExpanded(TreeItemHandle item) const { return contains(item) && items_[item].expanded; }
TreeItemHandle FolderTreeModel::parent(TreeItemHandle item) const { return contains(item) ? items_[item].parent : 0; }

const std::vector<TreeItemHandle>& FolderTreeModel::children(TreeItemHandle item) const {
  return contains(item) ? items_[item].children : kNoChildren;
}

const std::u16string& FolderTreeModel::text(TreeItemHandle item) const {
  return contains(item) ? items_[item].text : kNoText;
}

int FolderTreeModel::image(TreeItemHandle item) const { return contains(item) ? items_[item].image : -1; }

std::size_t FolderTreeModel::itemCount() const { return items_.empty() ? 0 : items_.size() - 1; }

void FolderTreeModel::setCheck(TreeItemHandle item, bool checked) {
  Item& it = items_[item];
  if (checked) {
    if (checkedIndex_.find(item) == checkedIndex_.end()) {
      checkedOrder_.push_back(item);
      checkedIndex_.emplace(item, std::prev(checkedOrder_.end()));
    }
  } else if (auto found = checkedIndex_.find(item); found != checkedIndex_.end()) {
    checkedOrder_.erase(found->second);
    checkedIndex_.erase(found);
  }
  it.checked = checked;
  it.bold = checked;
  if (listener_) listener_->checkChanged(item, it.checked, it.bold);
}

void FolderTreeModel::setCheckWithDescendants(TreeItemHandle item, bool checked) {
  // Depth first without recursion, so that a deep tree cannot exhaust the stack.
  std::vector<TreeItemHandle> pending{item};
  while (!pending.empty()) {
    TreeItemHandle current = pending.back();
    pending.pop_back();
    setCheck(current, checked);
    const auto& kids = items_[current].children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) pending.push_back(*it);
  }
}

void FolderTreeModel::updateAncestors(TreeItemHandle item) {
  for (TreeItemHandle up = items_[item].parent; up != 0; up = items_[up].parent) {
    const auto& kids = items_[up].children;
    bool allChecked = std::all_of(kids.begin(), kids.end(), [this](TreeItemHandle k) { return items_[k].checked; });
    setCheck(up, allChecked);
  }
  for (TreeItemHandle up = items_[item].parent; up != 0; up = items_[up].parent) {
    const auto& kids = items_[up].children;
    bool anyBold = std::any_of(kids.begin(), kids.end(), [this](TreeItemHandle k) { return items_[k].bold; });
    if (items_[up].bold != anyBold) {
      items_[up].bold = anyBold;
      if (listener_) listener_->checkChanged(up, items_[up].checked, anyBold);
    }
  }
}

void FolderTreeModel::toggle(TreeItemHandle item) {
  if (!contains(item)) return;
  const bool check = !items_[item].checked;
  setCheckWithDescendants(item, check);
  updateAncestors(item);
}

std::vector<std::string> FolderTreeModel::checkedList() const {
  std::vector<std::string> out;
  out.reserve(checkedOrder_.size());
  for (TreeItemHandle item : checkedOrder_) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", item);
    out.emplace_back(text);
  }
  return out;
}

std::u16string FolderTreeModel::folderPath(TreeItemHandle item) const {
  std::vector<TreeItemHandle> levels;
  for (TreeItemHandle up = item; up != 0 && up != root_ && levels.size() < kMaxPathLevels; up = items_[up].parent) {
    levels.push_back(up);
  }
  std::u16string path;
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    path += items_[*it].text;
    path += u'\\';
  }
  if (path.size() > kMaxPathLength) path.resize(kMaxPathLength);
  return path;
}

SelectionList FolderTreeModel::buildSelectionList() const {
  SelectionList list;
  if (root_ == 0) return list;
  std::vector<TreeItemHandle> pending{root_};
  while (!pending.empty()) {
    TreeItemHandle current = pending.back();
    pending.pop_back();
    if (items_[current].checked) list.push_back(SelectionEntry{folderPath(current), current, 0});
    const auto& kids = items_[current].children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) pending.push_back(*it);
  }
  return list;
}

void FolderTreeModel::clearSelection(SelectionList& list) {
  for (const auto& entry : list) {
    if (!contains(entry.treeItem)) continue;
    setCheckWithDescendants(entry.treeItem, false);
    updateAncestors(entry.treeItem);
  }
  list.clear();
}

std::u16string FolderTreeModel::mailboxNameFor(TreeItemHandle item) const {
  if (!contains(item) || item == root_) return {};
  TreeItemHandle top = item;
  while (items_[top].parent != 0 && items_[top].parent != root_) top = items_[top].parent;
  return items_[top].text + u"\\";
}

}  // namespace tarnwick::analysis
