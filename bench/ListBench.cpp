// Times showing the largest folder of a store in the message list, the first and the second
// time in one session as the desktop does, against reading the pages the list needs once:
// the pages of the message tables and the header pages of the folder's messages. Each figure
// is taken twice: cold (the store's pages dropped from the page cache just before) and warm.
//   tarnwick-listbench STORE [--stm FILE] [--folder ID]
// Prints one line of name=value pairs.
#include "analysis/ScanSummary.h"
#include "content/MessageListFill.h"
#include "platform/MessageSink.h"
#include "session/StoreSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Processor seconds this process has used: steadier than the wall clock on a busy machine.
double cpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The file offsets of the pages a list of `folder` needs: its message tables' pages (of its
// mailbox in 32 KB stores) and the pages holding its message headers.
std::vector<std::int64_t> listPages(tarnwick::session::StoreSession& session,
                                    const tarnwick::analysis::FolderNode& folder) {
  tarnwick::analysis::ScanModel& model = session.model();
  const bool large = tarnwick::store::isLargePage(session.geometry().PageSizeClass);
  std::set<std::int64_t> offsets;
  for (const tarnwick::analysis::TableEntry& t : model.messageTables) {
    if (large && t.suffix != folder.ownerKey) continue;
    for (std::size_t at : model.pages.positionsOf(t.objectId)) offsets.insert(model.pages[at].fileOffset.value);
  }
  for (std::size_t at : model.messageHeaders.headersOfFolder(folder.id)) {
    offsets.insert(model.messageHeaders[at].pageOffset.value);
  }
  return {offsets.begin(), offsets.end()};
}

// Drops the file's clean pages from the page cache, so that the next read comes from the disk.
void evict(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  ::fdatasync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

// Reads every page once with pread; returns the seconds taken.
double readOnce(const std::string& path, const std::vector<std::int64_t>& offsets, std::size_t pageSize) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  std::vector<unsigned char> page(pageSize);
  unsigned long sum = 0;
  const Clock::time_point start = Clock::now();
  for (std::int64_t offset : offsets) {
    if (::pread(fd, page.data(), page.size(), offset) > 0) sum += page[24];
  }
  const double seconds = secondsSince(start);
  ::close(fd);
  std::fprintf(stderr, "(%lu)\n", sum % 2);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::string store, stm, folderId;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--stm" && i + 1 < argc) {
      stm = argv[++i];
    } else if (arg == "--folder" && i + 1 < argc) {
      folderId = argv[++i];
    } else {
      store = arg;
    }
  }
  if (store.empty()) {
    std::fprintf(stderr, "usage: tarnwick-listbench STORE [--stm FILE] [--folder ID]\n");
    return 2;
  }
  tarnwick::session::StoreSession session;
  tarnwick::StreamMessageSink sink(stderr);
  if (!session.openAndScan(store, stm, sink).ready()) {
    std::fprintf(stderr, "tarnwick-listbench: cannot open and analyse '%s'\n", store.c_str());
    return 1;
  }
  const tarnwick::analysis::FolderNode* folder = folderId.empty() ? nullptr : session.findFolder(folderId);
  if (folder == nullptr) {
    std::size_t most = 0;
    for (const tarnwick::analysis::FolderNode& node : session.model().folders) {
      if (node.treeItem == 0 || node.parentId.isZero()) continue;
      const std::size_t n = session.model().messageHeaders.headersOfFolder(node.id).size();
      if (folder == nullptr || n > most) {
        folder = &node;
        most = n;
      }
    }
  }
  if (folder == nullptr) {
    std::fprintf(stderr, "tarnwick-listbench: no folder in '%s'\n", store.c_str());
    return 2;
  }
  const std::vector<std::int64_t> pages = listPages(session, *folder);
  const std::size_t pageSize = static_cast<std::size_t>(session.geometry().PageSize);
  evict(store);
  const double readCold = readOnce(store, pages, pageSize);
  const double readWarm = readOnce(store, pages, pageSize);

  struct Showing {
    double seconds = 0;
    double loadSeconds = 0;
    double cpu = 0;
    std::size_t pagesRead = 0;
  };
  std::size_t rows = 0;
  auto show = [&](bool cold) {
    if (cold) evict(store);
    Showing s;
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuSeconds();
    session.loadFolder(*folder);
    s.loadSeconds = secondsSince(start);
    s.pagesRead = session.loader()->pagesRead();
    const std::vector<tarnwick::content::MessageRow> shown = tarnwick::content::buildMessageRows(
        session.model().messages, *folder, session.tree().mailboxNameFor(folder->treeItem), *session.database(),
        session.geometry());
    s.seconds = secondsSince(start);
    s.cpu = cpuSeconds() - cpuStart;
    rows = shown.size();
    return s;
  };
  // First and second showing, cold; again with the kept lists dropped, warm.
  const Showing firstCold = show(true);
  const Showing secondCold = show(true);
  session.loader()->forget();
  readOnce(store, pages, pageSize);
  const Showing firstWarm = show(false);
  const Showing secondWarm = show(false);
  std::printf(
      "folder=%s headers=%zu rows=%zu pages=%zu read_s=%.4f read_cold_s=%.4f first_s=%.4f second_s=%.4f "
      "first_cold_s=%.4f second_cold_s=%.4f first_pages=%zu second_pages=%zu first_load_s=%.4f "
      "second_load_s=%.4f first_cold_load_s=%.4f first_cpu_s=%.4f second_cpu_s=%.4f\n",
      tarnwick::analysis::idHex(folder->id).c_str(), session.model().messageHeaders.headersOfFolder(folder->id).size(),
      rows, pages.size(), readWarm, readCold, firstWarm.seconds, secondWarm.seconds, firstCold.seconds,
      secondCold.seconds, firstWarm.pagesRead, secondWarm.pagesRead, firstWarm.loadSeconds, secondWarm.loadSeconds,
      firstCold.loadSeconds, firstWarm.cpu, secondWarm.cpu);
  return 0;
}
