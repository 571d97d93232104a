#pragma once

// Messages of 4 KB stores whose whole Internet form lies in the streaming file: the message
// text, and where its runs lie.

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Turns about one in four messages of the mail folders of a 4 KB store's `plan` (and never
// fewer than a handful, when there are that many) into streamed messages: their Internet
// message, its runs cut and scattered over the streaming file out of order, and the run
// descriptor that says where they lie, short ones inline, long ones as long values. The
// headers of the Internet message name the subject and sender of the message's header row.
void planStreamedMessages(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
