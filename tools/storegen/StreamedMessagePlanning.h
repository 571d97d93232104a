#pragma once

// Messages of 4 KB stores whose whole Internet form lies in the streaming file: the message
// text, and where its runs lie.

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Turns some messages of a 4 KB store's `plan` into streamed messages.
void planStreamedMessages(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
