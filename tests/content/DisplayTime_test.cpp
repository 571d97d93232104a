#include "content/DisplayTime.h"
#include "content/ItemSummary.h"
#include "platform/FileTime.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tarnwick::content {
namespace {

using testing::narrow;

// Pins the local time zone for one test and restores it afterwards.
class LocalZone : public ::testing::Test {
 protected:
  void useZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void SetUp() override {
    const char* old = std::getenv("TZ");
    saved_ = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    useZone("Asia/Kolkata");
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

// The model time of a UTC calendar time (milliseconds kept to the model's resolution).
ModelTime utc(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  std::int64_t unix = timegm(&tm);
  std::uint64_t ft = static_cast<std::uint64_t>(unix) * kFileTimeTicksPerSecond + kFileTimeUnixEpoch +
                     static_cast<std::uint64_t>(ms) * 10000;
  return modelTimeFromFileTime(ft);
}

std::string shown(const ModelTime& t) {
  auto text = formatDisplayTime(t);
  return text ? narrow(*text) : "-";
}

TEST_F(LocalZone, SummaryTimesInTheLocalZone) {
  EXPECT_EQ(shown(utc(2010, 3, 1, 0, 0, 0)), "Mon 01/03/2010 05:30:00 AM");
  EXPECT_EQ(shown(utc(2010, 3, 1, 6, 30, 0)), "Mon 01/03/2010 12:00:00 PM");
  EXPECT_EQ(shown(utc(2010, 3, 1, 18, 29, 59)), "Mon 01/03/2010 11:59:59 PM");
  EXPECT_EQ(shown(utc(2010, 3, 1, 18, 30, 0)), "Tue 02/03/2010 00:00:00 AM");
  EXPECT_EQ(shown(utc(2010, 12, 5, 8, 37, 9)), "Sun 05/12/2010 02:07:09 PM");
  // 991 ms and more carry a second; 990 does not (the model keeps 6.5536 ms steps).
  EXPECT_EQ(shown(utc(2010, 3, 1, 0, 0, 0, 995)), "Mon 01/03/2010 05:30:01 AM");
  EXPECT_EQ(shown(utc(2010, 3, 1, 0, 0, 0, 980)), "Mon 01/03/2010 05:30:00 AM");
  // Another zone shows another clock: the time follows the machine, not a fixed shift.
  useZone("UTC");
  EXPECT_EQ(shown(utc(2010, 3, 1, 0, 0, 0)), "Mon 01/03/2010 00:00:00 AM");
  useZone("America/New_York");
  EXPECT_EQ(shown(utc(2010, 7, 1, 16, 0, 0)), "Thu 01/07/2010 12:00:00 PM");
}

TEST_F(LocalZone, ListDatesAndTheirBounds) {
  auto listed = [](const ModelTime& t) {
    auto parts = listTimeParts(t);
    return parts && isListedDate(*parts);
  };
  EXPECT_FALSE(listed(utc(1979, 12, 31, 10, 0, 0)));
  EXPECT_TRUE(listed(utc(1980, 1, 1, 10, 0, 0)));
  EXPECT_TRUE(listed(utc(2099, 12, 31, 10, 0, 0)));
  EXPECT_FALSE(listed(utc(2100, 1, 1, 10, 0, 0)));
  auto parts = listTimeParts(utc(2021, 6, 30, 20, 15, 5));
  ASSERT_TRUE(parts);
  EXPECT_EQ(narrow(sortTimeText(*parts)), "2021-07-01 01:45:05");
  // A zero time (year 1601) stands for the start of 1970 and is not listed.
  auto zero = listTimeParts(ModelTime{});
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->year, 1970);
  EXPECT_FALSE(isListedDate(*zero));
}

// The list's texts are written without the C library's formatted output; they must read
// exactly as printf writes them, for odd parts too.
TEST(DisplayTexts, ReadAsPrintfWritesThem) {
  const LocalTimeParts cases[] = {
      {2010, 12, 5, 0, 14, 7, 9},   {1980, 1, 1, 2, 0, 0, 0},   {2099, 12, 31, 6, 23, 59, 59},
      {9999, 9, 9, 3, 12, 5, 1},    {33, 10, 31, 4, 13, 0, 0},  {-45, -3, 0, 9, -1, 60, -7},
      {1970, 1, 4, 7, 11, 99, 100}, {12345, 1, 2, -1, 1, 2, 3},
  };
  const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (const LocalTimeParts& p : cases) {
    const char* day = p.dayOfWeek >= 0 && p.dayOfWeek < 7 ? days[p.dayOfWeek] : "";
    const int hour = p.hour > 12 ? p.hour - 12 : p.hour;
    char expected[128];
    std::snprintf(expected, sizeof expected, "%s %02d/%02d/%d %02d:%02d:%02d %s", day, p.day, p.month, p.year, hour,
                  p.minute, p.second, p.hour >= 12 ? "PM" : "AM");
    EXPECT_EQ(narrow(formatDisplayTime(p)), expected);
    std::snprintf(expected, sizeof expected, "%d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    EXPECT_EQ(narrow(sortTimeText(p)), expected);
  }
}

// Local parts agree with the C library's own conversion (timegm, then localtime_r) across
// the centuries a store can hold, leap days and a zone with summer time included.
TEST_F(LocalZone, AgreeWithTheCLibrary) {
  for (const char* zone : {"Asia/Kolkata", "America/New_York", "Australia/Lord_Howe"}) {
    useZone(zone);
    std::uint64_t state = 88172645463325252ULL;
    for (int i = 0; i < 3000; ++i) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      // Seconds from 1900 to 9999, and some around 1970 and the leap days of 2000 and 2100.
      std::int64_t unix = -2208988800LL + static_cast<std::int64_t>(state % 253000000000ULL);
      if (i % 3 == 1) unix = static_cast<std::int64_t>(state % 200000) - 100000;
      if (i % 3 == 2) unix = (i % 2 ? 951782400LL : 4107456000LL) + static_cast<std::int64_t>(state % 259200);
      std::time_t t = static_cast<std::time_t>(unix);
      std::tm local{};
      ASSERT_NE(localtime_r(&t, &local), nullptr);
      const std::uint64_t ft = static_cast<std::uint64_t>(unix * static_cast<std::int64_t>(kFileTimeTicksPerSecond) +
                                                          static_cast<std::int64_t>(kFileTimeUnixEpoch));
      const std::optional<LocalTimeParts> parts = summaryTimeParts(modelTimeFromFileTime(ft));
      ASSERT_TRUE(parts) << zone << " " << unix;
      EXPECT_EQ(parts->year, local.tm_year + 1900) << zone << " " << unix;
      EXPECT_EQ(parts->month, local.tm_mon + 1) << zone << " " << unix;
      EXPECT_EQ(parts->day, local.tm_mday) << zone << " " << unix;
      EXPECT_EQ(parts->dayOfWeek, local.tm_wday) << zone << " " << unix;
      EXPECT_EQ(parts->hour * 3600 + parts->minute * 60 + parts->second,
                local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec)
          << zone << " " << unix;
    }
  }
}

TEST_F(LocalZone, AppointmentLines) {
  analysis::AppointmentTimes a;
  a.location = u"Room 1";
  a.start = utc(2010, 3, 1, 0, 0, 0);
  a.end = utc(2010, 3, 1, 1, 0, 0);
  std::vector<std::u16string> lines = appointmentSummaryLines(&a);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(narrow(lines[0]), "Location :   Room 1");
  EXPECT_EQ(narrow(lines[1]), "Start Date :   Mon 01/03/2010 05:30:00 AM");
  EXPECT_EQ(narrow(lines[2]), "End Date :   Mon 01/03/2010 06:30:00 AM");
  EXPECT_TRUE(appointmentSummaryLines(nullptr).empty());
}

TEST(ContactSummary, LabelledLinesInListOrder) {
  analysis::ItemProperties p;
  p.slots[17] = u"ann@example.com";
  std::vector<std::u16string> only = contactSummaryLines(&p);
  ASSERT_EQ(only.size(), 1u);
  EXPECT_EQ(narrow(only[0]), "Email Address 1 :   ann@example.com");
  p.slots[1] = u"a\r\nb\nc";
  p.slots[11] = u"Engineer";
  std::vector<std::u16string> lines = contactSummaryLines(&p);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(narrow(lines[0]), "Last Name :   a");
  EXPECT_EQ(narrow(lines[1]), "b");
  EXPECT_EQ(narrow(lines[2]), "c");
  EXPECT_EQ(narrow(lines[3]), "Job Title :   Engineer");
  EXPECT_TRUE(contactSummaryLines(nullptr).empty());
}

}  // namespace
}  // namespace tarnwick::content
