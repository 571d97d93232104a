#include "platform/StoreFile.h"
#include "store/HeaderCheck.h"
#include "store/PageHeader.h"
#include "store/RecordLocator.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace tarnwick::store {
namespace {

// Databases written by Windows' own engine: every one passes the header check, and the
// record locator never returns a slot outside the page on any of their pages.
struct RealStoreCase {
  const char* name;
  std::int32_t pageSize;
};
void PrintTo(const RealStoreCase& c, std::ostream* os) { *os << c.name; }

class RealStore : public ::testing::TestWithParam<RealStoreCase> {};

TEST_P(RealStore, HeaderCheckAndRecordSlotsStayInsideEveryPage) {
  const auto [name, pageSize] = GetParam();
  const std::filesystem::path gz = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "ese" / (std::string(name) + ".gz");
  if (!std::filesystem::exists(gz)) GTEST_SKIP() << "missing " << gz;
  testing::ScratchDir dir;
  StoreFile db;
  ASSERT_TRUE(db.Open(dir.gunzip(gz)));
  auto r = checkStoreHeader(db, nullptr);
  ASSERT_EQ(r.outcome, HeaderCheckOutcome::Supported);
  ASSERT_EQ(r.geometry.PageSize, pageSize);
  EXPECT_EQ(r.geometry.PageSizeClass, pageSize == 32768 ? PageSizeClass::Page32K : PageSizeClass::Page4K);

  RecordSlotArray slots{};
  std::vector<std::uint8_t> page;
  std::size_t totalSlots = 0, leafPages = 0;
  for (std::int64_t n = 1; n <= r.geometry.pageCount(); ++n) {
    auto offset = pageOffset(r.geometry, PageNumber(n));
    std::size_t count = locateRecords(db, r.geometry, offset, slots, page);
    ASSERT_LE(count, 800u);
    if (!isBranchPage(page)) ++leafPages;
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_GE(slots[i].offset, static_cast<std::int32_t>(r.geometry.headerLength()));
      ASSERT_GT(slots[i].size, 0);
      ASSERT_LE(slots[i].offset + slots[i].size, pageSize) << name << " page " << n;
    }
    totalSlots += count;
  }
  EXPECT_GT(leafPages, 0u);
  EXPECT_GT(totalSlots, 0u) << name;
}

INSTANTIATE_TEST_SUITE_P(Ese, RealStore,
                         ::testing::Values(RealStoreCase{"basic.edb", 4096}, RealStoreCase{"binary.edb", 4096},
                                           RealStoreCase{"text.edb", 4096}, RealStoreCase{"multi.edb", 4096},
                                           RealStoreCase{"default.edb", 4096}, RealStoreCase{"index.edb", 4096},
                                           RealStoreCase{"large.edb", 32768}, RealStoreCase{"SRUDB.dat", 4096}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (auto& c : n)
                             if (c == '.') c = '_';
                           return n;
                         });

}  // namespace
}  // namespace tarnwick::store
