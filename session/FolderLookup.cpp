#include "session/FolderLookup.h"

#include "analysis/ScanSummary.h"
#include "platform/CodePage.h"

#include <cctype>
#include <vector>

namespace tarnwick::session {

namespace {

// "a/b\/c" -> {"a", "b/c"}.
std::vector<std::u16string> pathLevels(std::u16string_view path) {
  std::vector<std::u16string> levels(1);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == u'\\' && i + 1 < path.size() && path[i + 1] == u'/') {
      levels.back().push_back(u'/');
      ++i;
    } else if (path[i] == u'/') {
      levels.emplace_back();
    } else {
      levels.back().push_back(path[i]);
    }
  }
  while (!levels.empty() && levels.back().empty()) levels.pop_back();
  return levels;
}

// "Mailbox\Inbox\" -> {"Mailbox", "Inbox"}.
std::vector<std::u16string> treeLevels(std::u16string_view path) {
  std::vector<std::u16string> levels(1);
  for (char16_t c : path) {
    if (c == u'\\') {
      levels.emplace_back();
    } else {
      levels.back().push_back(c);
    }
  }
  while (!levels.empty() && levels.back().empty()) levels.pop_back();
  return levels;
}

}  // namespace

const analysis::FolderNode* lookUpFolder(const analysis::ScanModel& model, const analysis::FolderTreeModel& tree,
                                         const std::string& idOrPath) {
  const std::u16string wanted = utf8ToUtf16(idOrPath);
  const std::vector<std::u16string> levels = pathLevels(wanted);
  // Ids are written in lower case; one given in upper or mixed case is the same id.
  std::string id = idOrPath;
  for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const analysis::FolderNode& node : model.folders) {
    if (node.treeItem == 0 || node.parentId.isZero()) continue;
    if (analysis::idHex(node.id) == id) return &node;
    // The tree path as `scan` prints it ("Mailbox\Inbox\"), or its levels separated by /.
    const std::u16string path = tree.folderPath(node.treeItem);
    if (path == wanted || treeLevels(path) == levels) return &node;
  }
  return nullptr;
}

const analysis::FolderNode* folderNodeOfTreeItem(const analysis::ScanModel& model, analysis::TreeItemHandle item) {
  for (const analysis::FolderNode& node : model.folders)
    if (node.treeItem == item) return &node;
  return nullptr;
}

}  // namespace tarnwick::session
