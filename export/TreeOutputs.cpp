#include "export/TreeOutputs.h"

#include "export/PathSanitizer.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

// Longest part of an item's file name taken from its subject.
constexpr std::size_t kSubjectNameBytes = 80;

std::string readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void makeDirectories(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw std::runtime_error("cannot create the folder " + dir.string() + ": " + ec.message());
}

void appendToFile(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot open " + path.string() + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(err));
    }
    done += static_cast<std::size_t>(w);
  }
  if (::close(fd) != 0) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

void EmlTreeStore::folderCreated(const std::string& folderPath) { makeDirectories(directoryOf(folderPath)); }

void EmlTreeStore::writeItem(const std::string& folderPath, const TreeItem& item) {
  const auto dir = directoryOf(folderPath);
  makeDirectories(dir);
  char number[16];
  std::snprintf(number, sizeof number, "%06u", ++written_[dir]);
  std::string stem = number;
  if (!item.name.empty()) {
    stem.push_back(' ');
    stem.append(sanitizeNameComponent(std::string_view(item.name), kSubjectNameBytes));
  }
  switch (item.kind) {
    case TreeItem::Kind::Message: writeNewFile(dir, stem, ".eml", composeMime(item.mime, LineEnding::Crlf)); break;
    case TreeItem::Kind::StoredMessage: writeNewFile(dir, stem, ".eml", readWholeFile(item.storedFile)); break;
    case TreeItem::Kind::Calendar: writeNewFile(dir, stem, ".ics", item.text); break;
    case TreeItem::Kind::Card:
      writeNewFile(dir, stem, ".vcf", item.text);
      for (const auto& file : item.mime.attachments) {
        std::string name = stem;
        name.push_back(' ');
        name.append(sanitizeNameComponent(file.displayName()));
        writeNewFile(dir, name, "", readWholeFile(file.path));
      }
      break;
  }
}

std::string mboxrdEntry(const std::string& message, std::int64_t unixTime) {
  const std::time_t t = static_cast<std::time_t>(unixTime);
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char separator[64];
  std::strftime(separator, sizeof separator, "From MAILER-DAEMON %a %b %e %H:%M:%S %Y\n", &utc);
  std::string out;
  out.reserve(message.size() + sizeof separator + 64);
  out.append(separator, std::strlen(separator));
  std::size_t start = 0;
  while (start < message.size()) {
    auto end = message.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = message.size();
    std::size_t lineEnd = end;
    if (lineEnd > start && message[lineEnd - 1] == '\r') --lineEnd;
    std::size_t gt = start;
    while (gt < lineEnd && message[gt] == '>') ++gt;
    if (message.compare(gt, 5, "From ") == 0) out.push_back('>');
    out.append(message, start, lineEnd - start);
    out.push_back('\n');
    start = end + 1;
  }
  out.push_back('\n');
  return out;
}

std::filesystem::path MboxTreeStore::mboxOf(const std::string& folderPath) const {
  auto path = directoryOf(folderPath);
  path += ".mbox";
  return path;
}

void MboxTreeStore::folderCreated(const std::string& folderPath) {
  const auto file = mboxOf(folderPath);
  makeDirectories(file.parent_path());
  appendToFile(file, "");
}

void MboxTreeStore::writeItem(const std::string& folderPath, const TreeItem& item) {
  const auto file = mboxOf(folderPath);
  makeDirectories(file.parent_path());
  const std::string message = item.kind == TreeItem::Kind::StoredMessage ? readWholeFile(item.storedFile)
                                                                         : composeMime(item.mime, LineEnding::Lf);
  appendToFile(file, mboxrdEntry(message, item.mime.unixTime.value_or(0)));
}

}  // namespace tarnwick::exporter
