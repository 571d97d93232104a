#pragma once

#include "content/LongValueChunks.h"
#include "content/RunDescriptor.h"
#include "content/StoredValueLocation.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tarnwick::content {

// How a copy of the runs ended.
enum class RunCopyEnd { Complete, RunBeyondStream, DescriptorEnded };

struct RunCopyResult {
  RunCopyEnd end = RunCopyEnd::Complete;
  std::uint64_t written = 0;
};

// Copies the content a descriptor names from the streaming file to `sink`, byte for byte.
// Runs are copied in order in pieces of at most 8192 bytes; the last run is given the
// bytes the total still needs, and no more than the total is ever written. A run that
// starts beyond the streaming file ends the copy. `gathered`, when set, is how many
// descriptor bytes exist: a run whose table entry lies beyond them ends the copy.
RunCopyResult copyStreamRuns(const RunDescriptor& descriptor, const store::ByteSource& stream,
                             const std::function<void(std::span<const std::uint8_t>)>& sink,
                             std::uint64_t gathered = UINT64_MAX);

// The streamed message of one item written whole to `outputPath` (created or truncated).
// Returns true when the file was written: with an inline descriptor every run must lie in
// the streaming file; with a descriptor in chunks a run beyond it ends the copy early.
// Returns false when no streaming file is open (`stream` null), the file cannot be created
// or the inline position is beyond the database. Read failures surface as FileError.
bool extractStreamedMessage(const store::ByteSource& db, const store::ByteSource* stream,
                            const store::StoreGeometry& geometry, std::span<const ChunkLocation> chunks,
                            StoredValueLocation location, const std::string& outputPath);

}  // namespace tarnwick::content
