#include "platform/StoreFile.h"
#include "platform/FileError.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick {
namespace {

using testing::ScratchDir;

TEST(StoreFile, ReadsSeeksAndKeepsTheBufferTailAtTheEnd) {
  ScratchDir dir;
  auto path = dir.write("f.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  StoreFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.Path(), path.string());
  EXPECT_EQ(f.GetLength(), 10u);
  EXPECT_EQ(f.Seek(0x100000006LL), 6u);  // low 32 bits of a position past 4 GiB
  std::uint8_t buf[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(f.Read(buf, 8), 0u);  // past the end: not an error, buffer untouched
  EXPECT_EQ(buf[0], 0xAA);
  f.Seek(6);
  EXPECT_EQ(f.Read(buf, 8), 4u);
  EXPECT_EQ(buf[0], 7);
  EXPECT_EQ(buf[3], 10);
  EXPECT_EQ(buf[4], 0xAA);
  EXPECT_THROW(f.Seek(-1), FileError);
  f.Close();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_TRUE(f.Path().empty());
  try {
    f.Read(buf, 1);
    FAIL() << "a read on a closed file must throw";
  } catch (const FileError& e) {
    EXPECT_EQ(e.osError(), EBADF);
  }
}

TEST(StoreFile, OpenFailuresChangeNothing) {
  ScratchDir dir;
  auto path = dir.write("f.bin", {1, 2, 3});
  StoreFile f;
  EXPECT_FALSE(f.Open(dir.path() / "missing.edb"));
  EXPECT_FALSE(f.Open(dir.path()));  // a folder is not a store
  EXPECT_FALSE(f.IsOpen());
  // Nor is a pipe (whose open would wait for a writer) or a device: refused at once.
  const auto fifo = dir.path() / "store.edb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(f.Open(fifo));
  EXPECT_EQ(f.LastOpenError(), kNotARegularFile);
  EXPECT_FALSE(f.Open("/dev/zero"));
  EXPECT_EQ(f.LastOpenError(), kNotARegularFile);
  ASSERT_TRUE(f.Open(path));
  EXPECT_FALSE(f.Open(dir.path() / "missing.edb"));
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(f.Path(), path.string());
}

TEST(StoreFile, AHeldStoreCannotBeOpenedAgainFromThisOrAnotherProcess) {
  ScratchDir dir;
  auto path = dir.write("store.edb", std::vector<std::uint8_t>(4096, 0));
  StoreFile holder;
  ASSERT_TRUE(holder.Open(path));
  StoreFile second;
  EXPECT_FALSE(second.Open(path));

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    StoreFile other;
    ::_exit(other.Open(path) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "another process opened a held store";

  holder.Close();
  EXPECT_TRUE(second.Open(path));  // free again once closed
}

}  // namespace
}  // namespace tarnwick
