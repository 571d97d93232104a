#include "content/StreamedMessage.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

namespace tarnwick::content {

namespace {
constexpr std::size_t kCopyPiece = 8192;
constexpr std::size_t kInlineDescriptorRead = 4096;
}  // namespace

RunCopyResult copyStreamRuns(const RunDescriptor& descriptor, const store::ByteSource& stream,
                             const std::function<void(std::span<const std::uint8_t>)>& sink, std::uint64_t gathered) {
  RunCopyResult result;
  const std::uint64_t total = descriptor.totalLength();
  const std::uint64_t streamLength = stream.length();
  std::int64_t previousEnd = 0;
  std::vector<std::uint8_t> piece(kCopyPiece);
  const int count = descriptor.runCount();
  for (int i = 0; i < count; ++i) {
    std::optional<StreamRun> run = descriptor.runAt(i);
    if (!run) {
      result.end = RunCopyEnd::DescriptorEnded;
      return result;
    }
    std::int64_t length = 0;
    if (i == count - 1) {
      length = static_cast<std::int64_t>(total) - static_cast<std::int64_t>(result.written);
    } else {
      length = static_cast<std::int64_t>(run->end) - previousEnd;
      previousEnd = run->end;
    }
    if (run->streamOffset < 0 || static_cast<std::uint64_t>(run->streamOffset) > streamLength) {
      result.end = RunCopyEnd::RunBeyondStream;
      return result;
    }
    std::uint64_t at = static_cast<std::uint64_t>(run->streamOffset);
    std::uint64_t left = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    while (left > 0 && result.written < total) {
      std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>({left, kCopyPiece, total - result.written}));
      std::size_t got = stream.readAt(at, std::span(piece.data(), want));
      if (got == 0) break;
      sink(std::span<const std::uint8_t>(piece.data(), got));
      result.written += got;
      at += got;
      left -= got;
      if (got < want) break;
    }
    if (!RunDescriptor::runOffsetWithin(i + 1, gathered)) {
      if (i + 1 < count) result.end = RunCopyEnd::DescriptorEnded;
      return result;
    }
  }
  return result;
}

bool extractStreamedMessage(const store::ByteSource& db, const store::ByteSource* stream,
                            const store::StoreGeometry& geometry, std::span<const ChunkLocation> chunks,
                            StoredValueLocation location, const std::string& outputPath) {
  const std::uint64_t dbLength = db.length();
  if (stream == nullptr) return false;
  std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  auto sink = [&out](std::span<const std::uint8_t> bytes) {
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  bool ok = true;
  if (!location.inChunks()) {
    if (location.position > dbLength) return false;
    std::vector<std::uint8_t> bytes(kInlineDescriptorRead);
    bytes.resize(db.readAt(location.position, bytes));
    std::span<const std::uint8_t> descriptor =
        bytes.empty() ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(bytes).subspan(1);
    RunCopyResult copied = copyStreamRuns(RunDescriptor(descriptor), *stream, sink);
    ok = copied.end != RunCopyEnd::RunBeyondStream;
  } else {
    StridedValue gathered = assembleByStride(db, geometry, chunks, static_cast<std::uint32_t>(geometry.PageSize));
    std::span<const std::uint8_t> descriptor(gathered.bytes.data(), static_cast<std::size_t>(std::min<std::uint64_t>(
                                                                        gathered.bytes.size(), gathered.gathered)));
    copyStreamRuns(RunDescriptor(descriptor), *stream, sink, gathered.gathered);
  }
  out.close();
  return ok && !out.fail();
}

}  // namespace tarnwick::content
