#include "pst/ltp/BthBuilder.h"

#include <algorithm>

#include "pst/ltp/HeapLayout.h"
#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

using namespace layout;

namespace {

std::vector<std::uint8_t> headerBytes(std::uint8_t keySize, std::uint8_t dataSize, std::uint8_t levels, Hid root) {
    ByteWriter w;
    w.u8(kClientSigBth);
    w.u8(keySize);
    w.u8(dataSize);
    w.u8(levels);
    w.u32(root.value);
    return w.take();
}

bool keyLess(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i];
    return false;
}

} // namespace

BthBuilder::BthBuilder(HeapBuilder& heap, std::uint8_t keySize, std::uint8_t dataSize)
    : heap_(heap), keySize_(keySize), dataSize_(dataSize) {
    header_ = heap_.allocate(headerBytes(keySize, dataSize, 0, Hid{}));
}

void BthBuilder::build(std::vector<BthRecord> records) {
    std::sort(records.begin(), records.end(), [](const BthRecord& a, const BthRecord& b) { return keyLess(a.key, b.key); });
    if (records.empty()) return;
    std::size_t entrySize = keySize_ + dataSize_;
    std::uint8_t level = 0;
    for (;;) {
        std::size_t perAlloc = kHnMaxAllocation / entrySize;
        std::vector<BthRecord> parents;
        for (std::size_t from = 0; from < records.size(); from += perAlloc) {
            std::size_t to = std::min(records.size(), from + perAlloc);
            ByteWriter w;
            for (std::size_t i = from; i < to; ++i) {
                w.bytes(records[i].key);
                w.bytes(records[i].data);
            }
            Hid hid = heap_.allocate(w.buffer());
            BthRecord parent;
            parent.key = records[from].key;
            parent.data.resize(4);
            store32(parent.data.data(), hid.value);
            parents.push_back(std::move(parent));
        }
        if (parents.size() == 1) {
            Hid root{0};
            root.value = parents.front().data[0] | (parents.front().data[1] << 8) |
                         (parents.front().data[2] << 16) | (static_cast<std::uint32_t>(parents.front().data[3]) << 24);
            heap_.overwrite(header_, headerBytes(keySize_, dataSize_, level, root));
            levels_ = level;
            return;
        }
        records = std::move(parents);
        entrySize = keySize_ + 4;
        ++level;
    }
}

} // namespace tarnwick::pst
