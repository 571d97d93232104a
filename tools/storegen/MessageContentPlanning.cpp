#include "tools/storegen/MessageContentPlanning.h"

namespace tarnwick::storegen {

void planMessageContent(StorePlan&, Rng&) {}

}  // namespace tarnwick::storegen
