#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::exporter {

// One checked folder handed to the save: its selection path (mailbox name, then folder
// names, each followed by a backslash), its item in the folder tree, and the number of
// items the counting pass found for it (written by the save).
struct SaveEntry {
  std::u16string path;
  std::uint32_t treeItem = 0;
  std::int32_t messageCount = 0;
};

using SaveSelection = std::vector<SaveEntry>;

}  // namespace tarnwick::exporter
