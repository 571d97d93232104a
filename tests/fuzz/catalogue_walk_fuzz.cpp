// The catalogue walk from page 4 over fuzz pages, and the record matcher on raw bytes.
#include "analysis/CatalogueWalk.h"
#include "store/CatalogueMatch.h"
#include "tests/fuzz/FuzzStore.h"

#include <cstdlib>

namespace {
struct Quiet : tarnwick::analysis::ScanObserver {
  int last = 0;
  void statusChanged(std::string_view) override {}
  void progressChanged(int percent) override {
    // The walk's progress never goes backwards and stays within 0..100.
    if (percent < last || percent > 100) std::abort();
    last = percent;
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::analysis;
  if (size > 0) {
    const store::BoundedBytes bytes(std::span<const std::uint8_t>(data + 1, size - 1));
    for (store::PageSizeClass cls :
         {store::PageSizeClass::Page4K, store::PageSizeClass::Page8K, store::PageSizeClass::Page32K}) {
      auto m = store::matchCatalogueRecord(bytes, data[0] % 64, bytes.size() + 5, cls);
      if (m && (m->namePosition < 0 || m->namePosition >= bytes.size())) std::abort();
    }
  }
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
  CatalogueWalk walk(ctx);
  walk.run();
  return 0;
}
