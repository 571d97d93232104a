#include "tools/pstcheck/PstChecker.h"

#include "tools/pstcheck/Messaging.h"
#include "tools/pstcheck/NodeDatabase.h"
#include "tools/pstcheck/NodeReader.h"

namespace tarnwick::pstcheck {

Report checkPst(Bytes file) {
  Report report;
  NodeDatabase db(file, report);
  if (!db.checkHeader()) return report;
  db.walkTrees();
  NodeReader reader(db);
  reader.countAllReferences();
  db.checkReferenceCounts();
  db.checkAllocation();
  if (db.header().cryptMethod <= 1) MessagingCheck(db, reader).run();
  return report;
}

}  // namespace tarnwick::pstcheck
