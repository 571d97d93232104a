#include "tools/storegen/AttachmentPlanning.h"

namespace tarnwick::storegen {

void planAttachments(StorePlan&, Rng&) {}

}  // namespace tarnwick::storegen
