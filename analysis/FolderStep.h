#pragma once

#include "analysis/ScanContext.h"

namespace tarnwick::analysis {

// Step 3: reads the rows of the folder tables and adds a folder node for each folder row.
// Returns false when a stop was requested.
bool enumerateFolderTables(ScanContext& context);

// After step 3: inserts the folders below each mailbox of the mailbox list into the tree,
// depth first in folder-list order, and finishes the tree. A folder is placed once, so a
// damaged store whose parent ids form a loop cannot make the tree endless.
void buildFolderTrees(ScanContext& context);

}  // namespace tarnwick::analysis
