#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// One checked folder handed to the export: its path of folder names below the database
// root (each name followed by a backslash), its item in the folder tree, and the number of
// messages the export wrote for it.
struct SelectionEntry {
  std::u16string path;
  std::uint32_t treeItem = 0;
  std::uint32_t messageCount = 0;
};

using SelectionList = std::vector<SelectionEntry>;

}  // namespace tarnwick::analysis
