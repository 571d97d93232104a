// Run descriptors of streamed messages on arbitrary bytes: fields are read only inside the
// descriptor, and the copy never writes more than the declared total nor reads outside
// the streaming file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "content/RunDescriptor.h"
#include "content/StreamedMessage.h"
#include "store/ByteSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::content;
  if (size < 2) return 0;
  // The first byte splits the input into descriptor and streaming file.
  const std::size_t split = std::min<std::size_t>(size - 1, static_cast<std::size_t>(data[0]) * 4);
  const std::span<const std::uint8_t> descriptorBytes(data + 1, split);
  const std::span<const std::uint8_t> streamBytes(data + 1 + split, size - 1 - split);
  const RunDescriptor descriptor(descriptorBytes);
  store::MemoryByteSource stream(streamBytes);
  std::uint64_t seen = 0;
  const RunCopyResult r = copyStreamRuns(
      descriptor, stream,
      [&](std::span<const std::uint8_t> piece) {
        if (piece.data() == nullptr && !piece.empty()) std::abort();
        seen += piece.size();
      },
      data[0] % 2 ? descriptorBytes.size() : UINT64_MAX);
  if (r.written != seen || r.written > descriptor.totalLength()) std::abort();
  for (int i = 0; i < descriptor.runCount() && i < 4096; ++i) (void)descriptor.runAt(i);
  return 0;
}
