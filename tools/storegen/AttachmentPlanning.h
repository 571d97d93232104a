#pragma once

// The attachments of planned messages: identifiers, file names (some awkward on purpose) and
// data, inline or as long values.

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Adds attachments to some messages of `plan`.
void planAttachments(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
