#include "tools/storegen/StreamedMessagePlanning.h"

namespace tarnwick::storegen {

void planStreamedMessages(StorePlan&, Rng&) {}

}  // namespace tarnwick::storegen
