// The whole scan over a store made of fuzz input: catalogue walk, mailboxes, folders,
// header tables and headers. Nothing may read outside its buffers, loop for ever or crash.
#include "analysis/CatalogueWalk.h"
#include "analysis/FolderStep.h"
#include "analysis/HeaderStep.h"
#include "analysis/HeaderTableStep.h"
#include "analysis/MailboxStep.h"
#include "analysis/ScanSummary.h"
#include "tests/fuzz/FuzzStore.h"

#include <cstdlib>

namespace {
struct Quiet : tarnwick::analysis::ScanObserver {
  void statusChanged(std::string_view) override {}
  void progressChanged(int percent) override {
    if (percent < 0 || percent > 100) std::abort();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::analysis;
  const fuzzing::FuzzStore store = fuzzing::makeFuzzStore(data, size);
  if (store.bytes.empty()) return 0;
  const store::MemoryByteSource source(store.bytes);
  const store::StoreGeometry geometry =
      store::makeStoreGeometry(store.pageSize, static_cast<std::int64_t>(store.bytes.size()));
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  Quiet observer;
  ProgressReporter progress(observer);
  ScanContext ctx(source, geometry, model, tree, control, progress);
  ctx.databasePath = u"fuzz";

  CatalogueWalk walk(ctx);
  walk.run();
  if (ctx.findings.ContainerClassColumn.columnId == 0) ctx.findings.ContainerClassColumn.columnId = 0x0147;
  enumerateMailboxes(ctx);
  if (model.folders.empty()) return 0;
  insertMailboxRoots(ctx);
  enumerateFolderTables(ctx);
  buildFolderTrees(ctx);
  HeaderTableDiscovery discovery(ctx);
  discovery.run();
  HeaderEnumeration headers(ctx);
  headers.run();
  ScanResult result;
  result.mailboxes = ctx.mailboxesFound;
  summarizeScan(result, model, tree);
  return 0;
}
