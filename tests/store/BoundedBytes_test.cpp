#include "store/BoundedBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace tarnwick::store {
namespace {

const std::vector<std::uint8_t> kBytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};

TEST(BoundedBytes, RangesOutsideTheViewAreRefusedWithoutOverflow) {
  const BoundedBytes b(kBytes);
  EXPECT_TRUE(b.has(0, 9));
  EXPECT_TRUE(b.has(9, 0));
  EXPECT_FALSE(b.has(8, 2));
  EXPECT_FALSE(b.has(-1, 1));
  EXPECT_FALSE(b.has(0, -1));
  EXPECT_FALSE(b.has(1, std::numeric_limits<std::int64_t>::max()));
  EXPECT_FALSE(b.has(std::numeric_limits<std::int64_t>::max(), 1));
}

TEST(BoundedBytes, ValuesReadInTheirByteOrderAndStraddlingReadsGiveZero) {
  const BoundedBytes b(kBytes);
  EXPECT_EQ(b.u16(0), 0x2211u);
  EXPECT_EQ(b.s16(6), static_cast<std::int16_t>(0x8877));
  EXPECT_EQ(b.u32(5), 0x99887766u);
  EXPECT_EQ(b.u32be(5), 0x66778899u);
  EXPECT_EQ(b.u8(9), 0u);
  EXPECT_EQ(b.u8(-1), 0u);
  EXPECT_EQ(b.u16(8), 0u);
  EXPECT_EQ(b.u32(6), 0u);
  EXPECT_EQ(b.u32be(6), 0u);
  EXPECT_EQ(b.u32(-2), 0u);
}

TEST(BoundedBytes, SlicesAndCopiesStayInsideTheView) {
  const BoundedBytes b(kBytes);
  ASSERT_EQ(b.slice(7, 2).size(), 2u);
  EXPECT_EQ(b.slice(7, 2)[1], 0x99);
  EXPECT_TRUE(b.slice(7, 3).empty());
  std::array<std::uint8_t, 8> out{};
  out.fill(0xEE);
  EXPECT_FALSE(b.copy8(2, out));
  EXPECT_EQ(out[0], 0xEE);  // untouched when refused
  EXPECT_TRUE(b.copy8(1, out));
  EXPECT_EQ(out[0], 0x22);
  EXPECT_EQ(out[7], 0x99);
  EXPECT_TRUE(b.equals(1, std::string_view("\x22\x33", 2)));
  EXPECT_FALSE(b.equals(8, std::string_view("\x99\x00", 2)));
}

}  // namespace
}  // namespace tarnwick::store
