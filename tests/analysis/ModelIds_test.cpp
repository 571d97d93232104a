#include "analysis/ModelIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_set>
#include <vector>

namespace tarnwick::analysis {
namespace {

MessageId idOf(std::initializer_list<std::uint8_t> bytes) {
  std::vector<std::uint8_t> b(bytes);
  return MessageId::fromBytes(b);
}

TEST(ModelIds, OrderIsTheBytesOrderAndEqualityTheBytes) {
  // The first byte decides first, whatever the machine's byte order.
  EXPECT_LT(idOf({0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), idOf({0x02, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_LT(idOf({0x06, 0, 0x73, 0x53, 1, 0, 0, 0}), idOf({0x06, 0, 0x73, 0x54, 0, 0, 0, 0}));
  EXPECT_GT(idOf({0, 0, 0, 0, 0, 0, 0, 0x80}), idOf({0, 0, 0, 0, 0, 0, 0, 0x7F}));
  EXPECT_EQ(idOf({1, 2, 3, 4, 5, 6, 7, 8}), idOf({1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_NE(idOf({1, 2, 3, 4, 5, 6, 7, 8}), idOf({1, 2, 3, 4, 5, 6, 7, 9}));

  std::mt19937_64 random(11);
  std::vector<MessageId> ids(2000);
  for (MessageId& id : ids) {
    for (auto& b : id.bytes) b = static_cast<std::uint8_t>(random() % 4);  // many shared prefixes
  }
  for (std::size_t i = 0; i + 1 < ids.size(); ++i) {
    const MessageId& a = ids[i];
    const MessageId& b = ids[i + 1];
    const bool bytesLess = std::lexicographical_compare(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
    EXPECT_EQ(a < b, bytesLess);
    EXPECT_EQ(a == b, a.bytes == b.bytes);
  }
}

TEST(ModelIds, IdsDifferingInOneByteHashApart) {
  // Ids of one store differ mostly in a few middle bytes; each byte must move the hash.
  std::unordered_set<std::size_t> hashes;
  const MessageId base = idOf({0x06, 0x00, 0x73, 0x53, 0x01, 0x00, 0x00, 0x00});
  hashes.insert(std::hash<MessageId>{}(base));
  for (std::size_t at = 0; at < 8; ++at) {
    for (int v = 1; v < 256; v += 17) {
      MessageId id = base;
      id.bytes[at] = static_cast<std::uint8_t>(id.bytes[at] ^ v);
      hashes.insert(std::hash<MessageId>{}(id));
    }
  }
  EXPECT_EQ(hashes.size(), 1u + 8u * 15u);
}

}  // namespace
}  // namespace tarnwick::analysis
