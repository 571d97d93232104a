#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// One checked folder handed to the save: its selection path (mailbox name, then folder
// names, each followed by a backslash), its item in the folder tree, and the number of
// items the save's counting pass found for it (written by the save).
struct SelectionEntry {
  std::u16string path;
  std::uint32_t treeItem = 0;
  std::uint32_t messageCount = 0;
};

using SelectionList = std::vector<SelectionEntry>;

}  // namespace tarnwick::analysis
