#include "tests/support/StoreScan.h"

#include "analysis/ScanControl.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

struct NoProgress : analysis::ScanObserver {
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};

struct NoMessages : MessageSink {
  MessageAnswer show(const Message&) override { return MessageAnswer::Ok; }
};

}  // namespace

std::unique_ptr<StoreScan> scanStore(const std::filesystem::path& path, const std::u16string& name) {
  auto scan = std::make_unique<StoreScan>();
  EXPECT_TRUE(scan->database.Open(path.string())) << path;
  analysis::ScanControl control;
  NoProgress observer;
  NoMessages sink;
  analysis::ScanOptions options;
  options.sleep = [](std::chrono::milliseconds) {};
  analysis::ScanEngine engine(scan->database, nullptr, name, scan->model, scan->tree, control, observer, sink, options);
  scan->result = engine.run();
  return scan;
}

}  // namespace tarnwick::testing
