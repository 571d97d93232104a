// Scale: a 2 GB store is written in under a minute, in memory far below the store's size
// (the pages are written as they are made; what stays is one line of the manifest per
// message), and an independent reader still opens it.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <iomanip>

#include "StoreFixture.h"
#include "tools/storegen/Manifest.h"
#include "tools/storegen/StoreFormat.h"
#include "tools/storegen/StoreWriter.h"

namespace tarnwick::storegen {
namespace {

long maxResidentKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

class StoregenScale : public ::testing::TestWithParam<StoreFormat> {};

TEST_P(StoregenScale, TwoGigabytesInUnderAMinuteInSmallMemory) {
  const FormatTraits& traits = traitsOf(GetParam());
  std::string dirName = "scale-";
  dirName += traits.name;
  testing::ScratchDir dir(dirName);
  Scenario s;
  s.format = GetParam();
  s.fillBytes = 2ull << 30;
  const long before = maxResidentKb();
  const auto start = std::chrono::steady_clock::now();
  const StoreReport report = writeStore(s, dir.path().string());
  std::ofstream(dir.path() / "manifest.json") << std::setw(2) << manifestOf(report);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long grownKb = maxResidentKb() - before;
  const auto size = std::filesystem::file_size(report.edbPath);
  std::cout << traits.name << ": " << size << " bytes in " << seconds << " s, resident memory grew by " << grownKb
            << " KB\n";
  EXPECT_GE(size, 2ull << 30);
  EXPECT_LT(seconds, 60.0);
  // About 4 KB per message of the 16,000-20,000 the fill writes, for their plans and manifest
  // lines; nothing that grows with the pages.
  EXPECT_LT(grownKb, 128 * 1024) << "memory should stay far below the store's size";
  if (testing::toolAvailable("esedbinfo")) {
    const auto info = testing::run("esedbinfo '" + report.edbPath + "'");
    EXPECT_EQ(info.status, 0) << info.output.substr(0, 2000);
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenScale,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
