#include "export/AttachmentFiles.h"

#include "export/PathSanitizer.h"
#include "export/SaveControl.h"
#include "export/SaveObserver.h"
#include "platform/CodePage.h"
#include "store/RecordLocator.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::exporter {
namespace {

// Closes a descriptor when it goes.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void WriteAt(int fd, const std::uint8_t* data, std::size_t count, std::uint64_t position,
             const std::filesystem::path& path) {
  std::size_t done = 0;
  while (done < count) {
    const auto w = ::pwrite(fd, data + done, count - done, static_cast<off_t>(position + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot write the attachment file " + path.string() + ": " + std::strerror(errno));
    }
    done += static_cast<std::size_t>(w);
  }
}

// Bytes of one chunk: from its offset to the end of the record holding it, one page when
// no record does, never more than a page nor past the end of the file.
std::size_t ChunkLength(const StoreReadAt& db, const store::StoreGeometry& g, std::int64_t offset,
                        std::vector<std::uint8_t>& page) {
  const std::int64_t pageSize = g.PageSize;
  const std::int64_t pageStart = offset - offset % pageSize;
  std::int64_t count = pageSize;
  page.assign(static_cast<std::size_t>(pageSize), 0);
  db(static_cast<std::uint64_t>(pageStart), page);
  std::array<store::RecordSlot, store::layout::kMaxRecordSlots> slots{};
  const std::size_t n = store::LocateRecords(page, g.PageSizeClass, slots);
  for (std::size_t i = 0; i < n; ++i) {
    const std::int64_t start = pageStart + slots[i].offset;
    const std::int64_t end = start + slots[i].size;
    if (start <= offset && offset <= end) {
      count = end - offset;
      break;
    }
  }
  if (count > pageSize) count = pageSize;
  if (offset + count > g.FileSize) count = g.FileSize > offset ? g.FileSize - offset : 0;
  return static_cast<std::size_t>(count < 0 ? 0 : count);
}

}  // namespace

StoreReadAt ReadFrom(const CFile64& file) {
  return [&file](std::uint64_t offset, std::span<std::uint8_t> out) {
    return file.ReadAt(static_cast<std::int64_t>(offset), out.data(), out.size());
  };
}

AttachmentFiles::~AttachmentFiles() { remove(); }

AttachmentFiles::AttachmentFiles(AttachmentFiles&& other) noexcept
    : folder_(std::move(other.folder_)), files_(std::move(other.files_)), skipped_(other.skipped_) {
  other.folder_.clear();
  other.files_.clear();
}

AttachmentFiles& AttachmentFiles::operator=(AttachmentFiles&& other) noexcept {
  if (this != &other) {
    remove();
    folder_ = std::move(other.folder_);
    files_ = std::move(other.files_);
    skipped_ = other.skipped_;
    other.folder_.clear();
    other.files_.clear();
  }
  return *this;
}

void AttachmentFiles::remove() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
  folder_.clear();
  files_.clear();
}

AttachmentFiles WriteAttachmentFiles(const analysis::MessageItem& item, const StoreReadAt& db,
                                     const store::StoreGeometry& geometry, const std::filesystem::path& workFolder,
                                     SaveControl& control, SaveObserver& observer) {
  static std::atomic<unsigned> serial{0};
  AttachmentFiles result;
  if (item.attachments.empty() || geometry.PageSize <= 0) return result;
  observer.attachmentsShown(true);
  result.folder_ = workFolder / ("attachments-" + std::to_string(++serial));
  std::filesystem::create_directories(result.folder_);
  std::vector<std::uint8_t> page;
  std::vector<std::uint8_t> data;
  std::size_t index = 0;
  for (const auto& attachment : item.attachments) {
    control.waitWhilePaused();
    if (control.skipRequested()) {
      result.skipped_ = true;
      break;
    }
    const auto folder = result.folder_ / std::to_string(++index);
    std::filesystem::create_directory(folder);
    const auto path = folder / SanitizeNameComponent(attachment.fileName);
    Fd out{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};
    if (out.fd < 0) throw std::runtime_error("cannot create the attachment file " + path.string() + ": " + std::strerror(errno));
    std::uint64_t length = 0;
    if (attachment.dataOffset.value != 0) {
      // Inline data: the value's length counts its format byte.
      const std::int64_t want = attachment.dataLength < geometry.PageSize ? attachment.dataLength : geometry.PageSize;
      if (want > 1 && attachment.dataOffset.value > 0) {
        data.assign(static_cast<std::size_t>(want), 0);
        const std::size_t got = db(static_cast<std::uint64_t>(attachment.dataOffset.value), data);
        const std::size_t keep = got < static_cast<std::size_t>(want - 1) ? got : static_cast<std::size_t>(want - 1);
        WriteAt(out.fd, data.data(), keep, 0, path);
        length = keep;
      }
    } else {
      for (const auto& chunk : attachment.chunks) {
        if (control.skipRequested()) break;
        const std::int64_t offset = chunk.fileOffset.value;
        if (offset < 0 || offset >= geometry.FileSize) continue;
        const std::size_t count = ChunkLength(db, geometry, offset, page);
        if (count == 0 || chunk.chunkStart + static_cast<std::uint64_t>(count) > kMaxAttachmentLength) continue;
        data.assign(count, 0);
        const std::size_t got = db(static_cast<std::uint64_t>(offset), data);
        WriteAt(out.fd, data.data(), got, chunk.chunkStart, path);
        if (chunk.chunkStart + got > length) length = chunk.chunkStart + got;
      }
    }
    ::close(out.fd);
    out.fd = -1;
    if (length == 0) {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    } else {
      result.files_.push_back({path, Utf16ToUtf8(attachment.fileName)});
    }
  }
  if (control.skipRequested()) result.skipped_ = true;
  observer.attachmentsShown(false);
  return result;
}

}  // namespace tarnwick::exporter
