#pragma once

#include "analysis/ScanContext.h"

namespace tarnwick::analysis {

// Step 2: finds the mailboxes in the pages of the mailbox table and adds them to the
// folder list as roots. Returns false when a stop was requested.
bool enumerateMailboxes(ScanContext& context);

// After step 2: resets the folder tree to its database root, inserts every mailbox root of
// the folder list below it (in list order) and copies the roots, with their tree items,
// into the mailbox list.
void insertMailboxRoots(ScanContext& context);

}  // namespace tarnwick::analysis
