#include "content/ReadAhead.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tarnwick::content {
namespace {

// A source that records the announcements made to it.
class AnnouncedRanges final : public store::ByteSource {
 public:
  std::uint64_t length() const override { return 1ull << 40; }
  std::size_t readAt(std::uint64_t, std::span<std::uint8_t>) const override { return 0; }
  void willRead(std::uint64_t offset, std::size_t length) const override { ranges.emplace_back(offset, length); }
  mutable std::vector<std::pair<std::uint64_t, std::size_t>> ranges;
};

constexpr std::size_t kPage = 4096;

std::size_t pagesAnnounced(const AnnouncedRanges& source) {
  std::size_t n = 0;
  for (const auto& r : source.ranges) n += r.second / kPage;
  return n;
}

TEST(ReadAhead, AnnouncesTheWindowAheadInSortedNeighbouringRuns) {
  AnnouncedRanges source;
  // Pages visited out of file order: 7, 5, 6, 1, a page with no place, 2 and then many more.
  std::vector<std::int64_t> offsets{7 * kPage, 5 * kPage, 6 * kPage, 1 * kPage, -1, 2 * kPage};
  ReadAhead probe(source, kPage, {});
  const std::size_t window = probe.windowPages();
  ASSERT_EQ(window, (8u << 20) / kPage);
  while (offsets.size() < 3 * window) offsets.push_back(static_cast<std::int64_t>(1000 + 2 * offsets.size()) * kPage);
  ReadAhead ahead(source, kPage, offsets);

  ahead.before(0);
  // The first window: pages 1-2 and 5-7 as two runs; the scattered pages one by one.
  ASSERT_GE(source.ranges.size(), 2u);
  EXPECT_EQ(source.ranges[0], std::make_pair(std::uint64_t{1 * kPage}, 2 * kPage));
  EXPECT_EQ(source.ranges[1], std::make_pair(std::uint64_t{5 * kPage}, 3 * kPage));
  const std::size_t announced = pagesAnnounced(source);
  EXPECT_EQ(announced, 2 * window - 1);  // two windows, less the page with no place

  // Nothing more until the reader enters the second window; then the third follows.
  ahead.before(window - 1);
  EXPECT_EQ(pagesAnnounced(source), announced);
  ahead.before(window);
  EXPECT_EQ(pagesAnnounced(source), offsets.size() - 1);
  ahead.before(offsets.size() - 1);
  EXPECT_EQ(pagesAnnounced(source), offsets.size() - 1);  // every page announced once
}

TEST(ReadAhead, WithoutAPageSizeAnnouncesNothing) {
  AnnouncedRanges source;
  ReadAhead ahead(source, 0, {0, 4096});
  ahead.before(0);
  ahead.before(1);
  EXPECT_TRUE(source.ranges.empty());
}

}  // namespace
}  // namespace tarnwick::content
