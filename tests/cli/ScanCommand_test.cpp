#include "tests/support/SampleStore.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace tarnwick {
namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string readAll(int fd) {
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  return text;
}

// Runs the built `tarnwick` with `args`; `interrupts` SIGINTs are sent `after` it started.
ProgramRun runTarnwick(std::vector<std::string> args, int interrupts = 0,
                       std::chrono::milliseconds after = std::chrono::milliseconds(0)) {
  testing::ScratchDir dir;
  const auto outFile = dir.path() / "out.txt";
  const auto errFile = dir.path() / "err.txt";
  const std::string program = std::string(TARNWICK_BINARY_DIR) + "/tarnwick";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (interrupts > 0) {
    std::this_thread::sleep_for(after);
    for (int i = 0; i < interrupts; ++i) {
      ::kill(pid, SIGINT);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProgramRun r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const int out = ::open(outFile.c_str(), O_RDONLY);
  r.out = readAll(out);
  ::close(out);
  const int err = ::open(errFile.c_str(), O_RDONLY);
  r.err = readAll(err);
  ::close(err);
  return r;
}

TEST(ScanCommand, PrintsTheTreeAsJson) {
  testing::ScratchDir dir;
  testing::SampleStore sample;
  const auto store = dir.write("sample.edb", sample.bytes());
  ProgramRun r = runTarnwick({"scan", "--json", store.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["outcome"], "completed");
  ASSERT_EQ(j["mailboxes"].size(), 2u);
  const auto& alice = j["mailboxes"][0];
  EXPECT_EQ(alice["id"], "0400000048a06756");
  EXPECT_EQ(alice["name"], "Alice");
  ASSERT_EQ(alice["folders"].size(), 3u);
  const auto& inbox = alice["folders"][1];
  EXPECT_EQ(inbox["name"], "Inbox");
  EXPECT_EQ(inbox["id"], "010000000000001c");
  EXPECT_EQ(inbox["kind"], "folder");
  EXPECT_EQ(inbox["path"], "Alice\\Inbox\\");
  EXPECT_EQ(inbox["messages"], 2);
  EXPECT_EQ(inbox["folders"][0]["name"], "Projects");
  EXPECT_EQ(alice["folders"][0]["kind"], "calendar");
  // Progress went to stderr as plain lines, step by step.
  EXPECT_NE(r.err.find("Step 1/5, Enumerating signatures. Please wait... 0%"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Step 5/5, Enumerating mail header. Please wait..."), std::string::npos) << r.err;
}

TEST(ScanCommand, PrintsTheTreeAsText) {
  testing::ScratchDir dir;
  testing::SampleStore sample;
  const auto store = dir.write("sample.edb", sample.bytes());
  ProgramRun r = runTarnwick({"scan", store.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("  Alice (mailbox 0400000048a06756)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("    Inbox [folder] 2 messages\n      Projects [folder] 1 message\n"), std::string::npos)
      << r.out;
}

TEST(ScanCommand, NoMailboxExitsFiveAfterTheMessage) {
  testing::ScratchDir dir;
  const auto ese = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "ese" / "basic.edb.gz";
  if (!std::filesystem::exists(ese)) GTEST_SKIP() << "no test data";
  const auto store = dir.gunzip(ese);
  ProgramRun r = runTarnwick({"scan", "--json", store.string()});
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_NE(r.err.find("Highly corrupted, Repairing not possible. User Mail Box not found"), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(r.out)["mailboxes"].size(), 0u);
}

TEST(ScanCommand, UnsupportedStoresAndMissingFiles) {
  testing::ScratchDir dir;
  testing::StoreImage odd(16384, 3);
  const auto store = dir.write("odd.edb", odd.bytes());
  ProgramRun r = runTarnwick({"scan", store.string()});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_NE(r.err.find("File is highly corrupted, Contact system administrator."), std::string::npos);
  r = runTarnwick({"scan", (dir.path() / "missing.edb").string()});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("missing.edb"), std::string::npos);
  r = runTarnwick({"scan"});
  EXPECT_EQ(r.exitCode, 2);
}

TEST(ScanCommand, CtrlCStopsTheScanAndStillPrintsWhatWasFound) {
  testing::ScratchDir dir;
  testing::SampleStore sample;
  const auto store = dir.write("sample.edb", sample.bytes());
  // The interrupt arrives during the second after step 1.
  ProgramRun r = runTarnwick({"scan", "--json", store.string()}, 1, std::chrono::milliseconds(400));
  EXPECT_EQ(r.exitCode, 130) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["outcome"], "stopped");
  // A second Ctrl-C ends the program at once, without output.
  r = runTarnwick({"scan", "--json", store.string()}, 2, std::chrono::milliseconds(400));
  EXPECT_EQ(r.exitCode, 130);
  EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace tarnwick
