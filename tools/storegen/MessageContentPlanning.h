#pragma once

// What each planned message carries: its kind, addresses, recipients, body and the fields of
// contacts, appointments, tasks, notes and journal entries.

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// Fills `content` of every message in `plan` except attachments and streamed messages.
void planMessageContent(StorePlan& plan, Rng& rng);

}  // namespace tarnwick::storegen
