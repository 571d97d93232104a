#include "analysis/ScanEngine.h"
#include "analysis/ScanSummary.h"
#include "platform/StoreFile.h"
#include "tests/support/SampleStore.h"
#include "tests/support/SampleStore32K.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/StoreScan.h"

#include <gtest/gtest.h>

#include <random>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;

struct Outcome {
  ScanOutcome outcome;
  std::size_t headers;
  std::vector<MailboxSummary> mailboxes;
};

Outcome scanStoreBytes(const Bytes& store) {
  testing::ScratchDir dir;
  const auto path = dir.write("damaged.edb", store);
  const auto scan = testing::scanStore(path, u"damaged");
  return {scan->result.outcome, scan->model.messageHeaders.size(),
          summarizeScan(scan->result, scan->model, scan->tree)};
}

TEST(DamagedStore, ATruncatedStoreKeepsWhatLiesBeforeTheCut) {
  testing::SampleStore sample;
  Bytes store = sample.bytes();
  store.resize(22 * 4096 + 100);  // page 20 (Alice's Inbox headers) stays whole, the rest is gone
  const Outcome o = scanStoreBytes(store);
  ASSERT_EQ(o.outcome, ScanOutcome::Completed);
  EXPECT_EQ(o.headers, 2u);
  ASSERT_EQ(o.mailboxes.size(), 2u);
}

TEST(DamagedStore, AZeroedFolderPageLeavesTheMailboxesAlone) {
  testing::SampleStore sample;
  Bytes store = sample.bytes();
  std::fill(store.begin() + 13 * 4096, store.begin() + 14 * 4096, std::uint8_t{0});  // page 12
  const Outcome o = scanStoreBytes(store);
  ASSERT_EQ(o.outcome, ScanOutcome::Completed);
  ASSERT_EQ(o.mailboxes.size(), 2u);
  EXPECT_TRUE(o.mailboxes[0].folders.empty());
  EXPECT_EQ(o.headers, 0u);  // the tables are matched to folders, and there are none
}

TEST(DamagedStore, RandomBytesInAnyPageNeverStopTheScan) {
  std::mt19937 rng(20261207);
  for (int format = 0; format < 2; ++format) {
    const Bytes original = format == 0 ? testing::SampleStore().bytes() : testing::SampleStore32K().bytes();
    const std::size_t pageSize = format == 0 ? 4096 : 32768;
    const std::size_t pages = original.size() / pageSize;
    for (int round = 0; round < 30; ++round) {
      Bytes store = original;
      const std::size_t page = 1 + rng() % (pages - 1);
      const std::size_t count = 1 + rng() % 64;
      for (std::size_t i = 0; i < count; ++i) {
        store[page * pageSize + rng() % pageSize] = static_cast<std::uint8_t>(rng());
      }
      const Outcome o = scanStoreBytes(store);
      EXPECT_NE(o.outcome, ScanOutcome::FileFailed);
      EXPECT_NE(o.outcome, ScanOutcome::Stopped);
    }
  }
}

}  // namespace
}  // namespace tarnwick::analysis
