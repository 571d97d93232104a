#include "content/StoredValueReader.h"

#include "codec/Lz77Decoder.h"
#include "codec/RtfDecompressor.h"
#include "codec/SevenBitText.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarnwick::content {

namespace {

using L = StoredValueLayout;
constexpr char kRtfMagic[4] = {'L', 'Z', 'F', 'u'};
constexpr std::size_t kReadBlock = 8192;

bool hasRtfMagic(std::span<const std::uint8_t> value) {
  return value.size() >= L::kRtfMagicOffset + 4 &&
         std::memcmp(value.data() + L::kRtfMagicOffset, kRtfMagic, sizeof kRtfMagic) == 0;
}

// The working file: a value is written into it piece by piece and read back whole.
class WorkingFile {
 public:
  explicit WorkingFile(const std::filesystem::path& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  }
  ~WorkingFile() {
    if (fd_ >= 0) ::close(fd_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  WorkingFile(const WorkingFile&) = delete;
  WorkingFile& operator=(const WorkingFile&) = delete;

  bool ok() const { return fd_ >= 0; }

  bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::optional<std::vector<std::uint8_t>> readAll() {
    off_t length = ::lseek(fd_, 0, SEEK_END);
    if (length < 0) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t want = std::min(kReadBlock, bytes.size() - done);
      ssize_t n = ::pread(fd_, bytes.data() + done, want, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return std::nullopt;
      done += static_cast<std::size_t>(n);
    }
    return bytes;
  }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

std::vector<std::uint8_t> readBytes(const store::ByteSource& db, std::uint64_t offset, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  bytes.resize(db.readAt(offset, bytes));
  return bytes;
}

// How the value's first bytes classify it.
enum class Kind { Unknown, Rtf, EightBit };

}  // namespace

std::optional<StoredBody> readStoredValue(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                          std::span<const ChunkLocation> chunks, store::BodySource bodySource,
                                          StoredValueLocation location, const std::filesystem::path& workingFile) {
  if (geometry.PageSize <= 0) return std::nullopt;
  const std::size_t pageSize = static_cast<std::size_t>(geometry.PageSize);
  const bool large = store::isLargePage(geometry.PageSizeClass);
  const bool plain = bodySource == store::BodySource::PlainUnicode;
  WorkingFile file(workingFile);
  if (!file.ok()) return std::nullopt;
  Kind kind = Kind::Unknown;

  if (location.inChunks()) {
    for (const ChunkLocation& chunk : chunks) {
      std::vector<std::uint8_t> bytes =
          readChunkBytes(db, geometry, chunk.fileOffset, static_cast<std::uint32_t>(pageSize));
      if (large && !bytes.empty() && bytes[0] == L::kLz77Format) {
        std::vector<std::uint8_t> unpacked(bytes.size() + pageSize, 0);
        codec::UnpackResult r = codec::decodeLz77(bytes, unpacked);
        if (r.ok) {
          unpacked.resize(r.count);
          bytes = std::move(unpacked);
        }
      }
      if (!plain && chunk.valueOffset == 0) kind = hasRtfMagic(bytes) ? Kind::Rtf : Kind::EightBit;
      if (chunk.valueOffset + bytes.size() > L::kMaxValueLength) continue;
      if (!file.writeAt(chunk.valueOffset, bytes)) return std::nullopt;
    }
  } else {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(location.length), pageSize);
    std::optional<std::vector<std::uint8_t>> value;
    if (large) {
      std::vector<std::uint8_t> raw = readBytes(db, location.position, n);
      if (raw.size() >= 2 && raw[0] == L::kCompressedFormat) {
        std::span<const std::uint8_t> packed = std::span<const std::uint8_t>(raw).subspan(1);
        std::vector<std::uint8_t> out(pageSize + L::kInlineUnpackSlack, 0);
        if (raw[1] == L::kLz77Format) {
          codec::UnpackResult r = codec::decodeLz77(packed, std::span(out.data(), pageSize));
          if (!r.ok) return std::nullopt;
          out.resize(r.count);
          value = std::move(out);
        } else {
          codec::UnpackResult r = codec::decode7Bit(packed, std::span(out.data(), pageSize));
          if (r.ok) {
            std::size_t end = 0;
            while (end < r.count && out[end] != 0) ++end;
            out.resize(end);
            // A plain-text body is UTF-16: text the engine packed from UTF-16 comes back one
            // byte per character and is widened again, so that it is not read as byte pairs.
            if (plain && (raw[1] & codec::sevenbit::kFormatMask) == codec::sevenbit::kUnicodeFormat) {
              std::vector<std::uint8_t> wide;
              wide.reserve(2 * out.size());
              for (std::uint8_t b : out) wide.insert(wide.end(), {b, 0});
              out = std::move(wide);
            }
            value = std::move(out);
          }
        }
      }
    }
    if (!value) {
      std::vector<std::uint8_t> raw = n > 0 ? readBytes(db, location.position + 1, n) : std::vector<std::uint8_t>();
      raw.resize(std::min(raw.size(), n > 0 ? n - 1 : 0));
      value = std::move(raw);
    }
    if (!plain) kind = hasRtfMagic(*value) ? Kind::Rtf : Kind::EightBit;
    if (!file.writeAt(0, *value)) return std::nullopt;
  }

  if (kind == Kind::Rtf) {
    std::optional<std::vector<std::uint8_t>> stream = file.readAll();
    if (!stream) return std::nullopt;
    std::optional<codec::DecompressedRtf> rtf = codec::decompressRtf(*stream);
    if (!rtf) return std::nullopt;
    return StoredBody{BodyForm::Rtf, std::vector<std::uint8_t>(rtf->rtf.begin(), rtf->rtf.end())};
  }
  if (kind == Kind::EightBit || plain) {
    std::optional<std::vector<std::uint8_t>> bytes = file.readAll();
    if (!bytes) return std::nullopt;
    return StoredBody{kind == Kind::EightBit ? BodyForm::EightBitText : BodyForm::UnicodeText, std::move(*bytes)};
  }
  return std::nullopt;
}

}  // namespace tarnwick::content
