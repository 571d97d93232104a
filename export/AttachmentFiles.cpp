#include "export/AttachmentFiles.h"

#include "content/LongValueChunks.h"
#include "export/PathSanitizer.h"
#include "export/SaveControl.h"
#include "export/SaveObserver.h"
#include "platform/CodePage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

// Closes a descriptor when it goes.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void writeAt(int fd, const std::uint8_t* data, std::size_t count, std::uint64_t position,
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

}  // namespace

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

AttachmentFiles writeAttachmentFiles(const analysis::MessageItem& item, const store::ByteSource& db,
                                     const store::StoreGeometry& geometry, const std::filesystem::path& workFolder,
                                     SaveControl& control, SaveObserver& observer) {
  static std::atomic<unsigned> serial{0};
  AttachmentFiles result;
  if (item.attachments.empty() || geometry.PageSize <= 0) return result;
  observer.attachmentsShown(true);
  result.folder_ = workFolder / ("attachments-" + std::to_string(++serial));
  std::filesystem::create_directories(result.folder_);
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
    const auto path = folder / sanitizeNameComponent(attachment.fileName);
    Fd out{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};
    if (out.fd < 0)
      throw std::runtime_error("cannot create the attachment file " + path.string() + ": " + std::strerror(errno));
    std::uint64_t length = 0;
    if (attachment.dataOffset.value != 0) {
      // Inline data: the value's length counts its format byte.
      const std::int64_t want = attachment.dataLength < geometry.PageSize ? attachment.dataLength : geometry.PageSize;
      if (want > 1 && attachment.dataOffset.value > 0) {
        data.assign(static_cast<std::size_t>(want), 0);
        const std::size_t got = db.readAt(static_cast<std::uint64_t>(attachment.dataOffset.value), data);
        const std::size_t keep = got < static_cast<std::size_t>(want - 1) ? got : static_cast<std::size_t>(want - 1);
        writeAt(out.fd, data.data(), keep, 0, path);
        length = keep;
      }
    } else {
      for (const auto& chunk : attachment.chunks) {
        if (control.skipRequested()) break;
        const std::int64_t offset = chunk.fileOffset.value;
        if (offset < 0 || offset >= geometry.FileSize) continue;
        data = content::readChunkBytes(db, geometry, static_cast<std::uint64_t>(offset),
                                       static_cast<std::uint32_t>(geometry.PageSize));
        if (data.empty() || chunk.chunkStart + data.size() > kMaxAttachmentLength) continue;
        writeAt(out.fd, data.data(), data.size(), chunk.chunkStart, path);
        if (chunk.chunkStart + data.size() > length) length = chunk.chunkStart + data.size();
      }
    }
    ::close(out.fd);
    out.fd = -1;
    if (length == 0) {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    } else {
      result.files_.push_back({path, utf16ToUtf8(attachment.fileName)});
    }
  }
  if (control.skipRequested()) result.skipped_ = true;
  observer.attachmentsShown(false);
  return result;
}

}  // namespace tarnwick::exporter
