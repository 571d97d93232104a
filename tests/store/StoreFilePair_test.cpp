#include "store/StoreFilePair.h"
#include "platform/StoreFile.h"
#include "tests/support/PageBytes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tarnwick::store {
namespace {

TEST(StoreFilePair, OpensBothOrNeitherAndClosesThePreviousSource) {
  testing::ScratchDir dir;
  const auto edb = dir.write("a.edb", testing::storeFileBytes(4096, 8192)).string();
  const auto stm = dir.write("a.stm", {1, 2, 3}).string();
  const auto other = dir.write("b.edb", testing::storeFileBytes(8192, 8192)).string();
  StoreFilePair files;
  ASSERT_TRUE(openStoreFiles(files, edb, stm).opened);
  EXPECT_TRUE(files.database.IsOpen() && files.streaming.IsOpen());

  // A new source first lets go of the old one.
  ASSERT_TRUE(openStoreFiles(files, other, "").opened);
  EXPECT_FALSE(files.streaming.IsOpen());
  StoreFile probe;
  EXPECT_TRUE(probe.Open(edb));
  probe.Close();

  // A streaming file that cannot be opened leaves nothing held.
  auto r = openStoreFiles(files, edb, (dir.path() / "missing.stm").string());
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.osError, ENOENT);
  EXPECT_NE(r.failedPath.find("missing.stm"), std::string::npos);
  EXPECT_FALSE(files.database.IsOpen());
  EXPECT_TRUE(probe.Open(edb));

  // A database held elsewhere fails with the lock's error.
  r = openStoreFiles(files, edb, "");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.osError, EWOULDBLOCK);
  EXPECT_EQ(r.failedPath, edb);
}

}  // namespace
}  // namespace tarnwick::store
