// tarnwick-pstcheck FILE: a strict, independent check of an Outlook data file.
// Prints each fault (what and where) and exits 1 when there is any; prints a
// short summary and exits 0 when the file is clean; exits 2 on bad usage and
// 3 when the file cannot be read.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/pstcheck/PstChecker.h"

using namespace tarnwick::pstcheck;

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(stderr, "usage: tarnwick-pstcheck FILE.pst\n");
    return 2;
  }
  const char* path = argv[1];
  const int fd = ::open(path, O_RDONLY);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    std::fprintf(stderr, "tarnwick-pstcheck: cannot open %s: %s\n", path, std::strerror(errno));
    return 3;
  }
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  const void* map = nullptr;
  if (size > 0) {
    map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      std::fprintf(stderr, "tarnwick-pstcheck: cannot read %s: %s\n", path, std::strerror(errno));
      ::close(fd);
      return 3;
    }
  }
  const Report report = checkPst(Bytes(static_cast<const std::uint8_t*>(map), size));
  if (map) ::munmap(const_cast<void*>(map), size);
  ::close(fd);
  for (const Fault& f : report.faults())
    std::printf("%s: [%s] %s: %s\n", path, areaName(f.area).c_str(), f.where.c_str(), f.what.c_str());
  if (report.suppressed() > 0) std::printf("%s: ... and %zu more faults not shown\n", path, report.suppressed());
  if (!report.clean()) {
    std::printf("%s: %zu fault(s)\n", path, report.count());
    return 1;
  }
  std::printf("%s: clean: %llu pages, %llu blocks, %llu nodes, %llu folders, %llu messages, %llu table rows\n", path,
              static_cast<unsigned long long>(report.pages), static_cast<unsigned long long>(report.blocks),
              static_cast<unsigned long long>(report.nodes), static_cast<unsigned long long>(report.folders),
              static_cast<unsigned long long>(report.messages), static_cast<unsigned long long>(report.tableRows));
  return 0;
}
