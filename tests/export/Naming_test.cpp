#include "export/DestinationCheck.h"
#include "export/ExportDate.h"
#include "export/OutputNaming.h"
#include "export/PathSanitizer.h"
#include "export/SaveTexts.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <fstream>

namespace tarnwick::exporter {
namespace {

SystemTime systemTimeAt(int year, int month, int day, int hour, int minute) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  return t;
}

TEST(OutputNaming, MailboxStampDisplayNameAndFilePathFollowTheNamingRules) {
  EXPECT_EQ(mailboxNameOf(u"Mailbox - Sales\\Inbox\\"), u"Mailbox - Sales");
  EXPECT_EQ(mailboxNameOf(u"Mailbox - Sales\\"), u"Mailbox - Sales");
  EXPECT_FALSE(mailboxNameOf(u"").has_value());
  EXPECT_FALSE(mailboxNameOf(u"NoSlash").has_value());

  const auto stamp = saveStamp(systemTimeAt(2010, 2, 3, 9, 5));
  EXPECT_EQ(stamp, "3-2-2010 9-05");
  EXPECT_EQ(storeDisplayName(u"Mailbox - Sales", stamp), "TK_Mailbox - Sales_3-2-2010 9-05");

  testing::ScratchDir dir;
  OutputNamer namer(dir.path());
  EXPECT_EQ(namer.storePath(u"Mailbox - Sales", stamp, ".pst"), dir.path() / "TK_Mailbox - Sales_3-2-2010 9-05.pst");
  // A "/" in the mailbox name gives "_" in the file name but stays in the display name;
  // the destination folder's own slashes are untouched.
  EXPECT_EQ(namer.storePath(u"Sales/East", stamp, ".pst"), dir.path() / "TK_Sales_East_3-2-2010 9-05.pst");
  EXPECT_EQ(storeDisplayName(u"Sales/East", stamp), "TK_Sales/East_3-2-2010 9-05");
}

TEST(OutputNaming, NamesFromTheStoreNeverEscapeTheDestination) {
  EXPECT_EQ(sanitizeNameComponent(u".."), "__");
  EXPECT_EQ(sanitizeNameComponent(u"."), "_");
  EXPECT_EQ(sanitizeNameComponent(u""), "_");
  EXPECT_EQ(sanitizeNameComponent(u"../../etc/passwd"), ".._.._etc_passwd");
  EXPECT_EQ(sanitizeNameComponent(u"..x", 2), "__");  // cut to dots only
  EXPECT_EQ(sanitizeNameComponent(u"a\\b:c*d?e\"f<g>h|i"), "a_b_c_d_e_f_g_h_i");
  EXPECT_EQ(sanitizeNameComponent(std::u16string(u"x\ty\0z", 5)), "x_y_z");
  EXPECT_EQ(sanitizeNameComponent(u"Grüße.txt"), "Grüße.txt");
  // Cut at a character boundary, never inside a two-byte character.
  const std::u16string longName(150, u'é');
  const auto cut = sanitizeNameComponent(longName);
  EXPECT_EQ(cut.size(), kMaxNameBytes);
  EXPECT_EQ(sanitizeNameComponent(longName, 5), "éé");
}

TEST(OutputNaming, TakenNamesGetANumberedSuffixAndAreNeverHandedOutTwice) {
  testing::ScratchDir dir;
  std::ofstream(dir.path() / "TK_A_1-1-2020 0-0.pst") << "existing";
  std::filesystem::create_directory(dir.path() / "TK_B_1-1-2020 0-0");
  OutputNamer namer(dir.path());
  EXPECT_EQ(namer.storePath(u"A", "1-1-2020 0-0", ".pst"), dir.path() / "TK_A_1-1-2020 0-0 (2).pst");
  // Not created on disk yet, but handed out: the next gets the next number.
  EXPECT_EQ(namer.storePath(u"A", "1-1-2020 0-0", ".pst"), dir.path() / "TK_A_1-1-2020 0-0 (3).pst");
  EXPECT_EQ(namer.storePath(u"B", "1-1-2020 0-0", ""), dir.path() / "TK_B_1-1-2020 0-0 (2)");
  // Two mailboxes whose names clean up alike do not share a file.
  EXPECT_EQ(namer.storePath(u"C/D", "1-1-2020 0-0", ".pst"), dir.path() / "TK_C_D_1-1-2020 0-0.pst");
  EXPECT_EQ(namer.storePath(u"C:D", "1-1-2020 0-0", ".pst"), dir.path() / "TK_C_D_1-1-2020 0-0 (2).pst");
}

TEST(DestinationCheck, MissingFolderLowSpaceAndUnwritableFolderAreRefusedInOrder) {
  testing::ScratchDir dir;
  std::uint64_t figure = kFreeSpaceThreshold + 1;
  FreeSpaceProbe probe = [&](const std::filesystem::path&) { return std::optional<std::uint64_t>(figure); };
  EXPECT_EQ(checkDestination(dir.path(), probe), DestinationVerdict::Accepted);
  EXPECT_EQ(checkDestination(dir.path() / "nope", probe), DestinationVerdict::Missing);
  std::ofstream(dir.path() / "file") << "x";
  EXPECT_EQ(checkDestination(dir.path() / "file", probe), DestinationVerdict::Missing);
  figure = kFreeSpaceThreshold;  // exactly 300 MiB fails
  EXPECT_EQ(checkDestination(dir.path(), probe), DestinationVerdict::LowSpace);
  EXPECT_EQ(checkDestination(dir.path() / "nope", probe), DestinationVerdict::Missing);
  FreeSpaceProbe unreadable = [](const std::filesystem::path&) { return std::optional<std::uint64_t>(); };
  EXPECT_EQ(checkDestination(dir.path(), unreadable), DestinationVerdict::LowSpace);
  if (::geteuid() != 0) {
    figure = kFreeSpaceThreshold + 1;
    const auto locked = dir.path() / "locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    EXPECT_EQ(checkDestination(locked, probe), DestinationVerdict::NotWritable);
    ::chmod(locked.c_str(), 0700);
  }

  auto missing = destinationRefusal(DestinationVerdict::Missing, dir.path());
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->text, "Saving path doesn't exist, select another path for saving");
  EXPECT_EQ(missing->icon, MessageIcon::Information);
  auto low = destinationRefusal(DestinationVerdict::LowSpace, dir.path());
  ASSERT_TRUE(low);
  EXPECT_EQ(low->text, "Free space is less than 300 MB. Please change destination path.");
  EXPECT_EQ(low->icon, MessageIcon::Error);
  EXPECT_TRUE(low->systemModal);
  EXPECT_FALSE(destinationRefusal(DestinationVerdict::Accepted, dir.path()));
}

std::uint64_t fileTimeOf(int y, int m, int d, int hh, int mm, int ss, int ms = 0) {
  // Days from civil (proleptic Gregorian) to 1970-01-01.
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = era * 146097 + doe - 719468;
  const std::int64_t seconds = days * 86400 + hh * 3600 + mm * 60 + ss;
  return static_cast<std::uint64_t>(seconds * 10000000LL + ms * 10000LL) + kFileTimeUnixEpoch;
}

TEST(ExportDate, RangeIsTheWholeOf1980To2099AsExactUtcInstants) {
  auto at = [](std::uint64_t ft) { return exportTimeOf(modelTimeFromFileTime(ft)); };
  auto first = at(fileTimeOf(1980, 1, 1, 0, 0, 0));
  ASSERT_EQ(first.rejection, DateRejection::None);
  EXPECT_EQ(first.fileTime, fileTimeOf(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(at(fileTimeOf(1979, 12, 31, 23, 59, 59)).rejection, DateRejection::BeforeRange);
  auto last = at(fileTimeOf(2099, 12, 31, 23, 59, 58));
  ASSERT_EQ(last.rejection, DateRejection::None);
  EXPECT_EQ(last.fileTime, fileTimeOf(2099, 12, 31, 23, 59, 58));
  EXPECT_EQ(at(fileTimeOf(2100, 1, 1, 0, 0, 0)).rejection, DateRejection::AfterRange);
  EXPECT_EQ(at(0).rejection, DateRejection::BeforeRange);
  // A five-digit year is out of range, not turned into this year.
  EXPECT_EQ(at(fileTimeOf(30000, 1, 1, 0, 0, 0)).rejection, DateRejection::AfterRange);
  EXPECT_EQ(at(0xFFFFFFFFFFFF0000ULL).rejection, DateRejection::Unreadable);

  // No shift of the instant whatever the zone, and the fraction of the second is dropped.
  ::setenv("TZ", "Asia/Kolkata", 1);
  ::tzset();
  auto noon = at(fileTimeOf(2010, 2, 3, 12, 0, 1, 500));
  EXPECT_EQ(noon.fileTime, fileTimeOf(2010, 2, 3, 12, 0, 1));
  ::unsetenv("TZ");
  ::tzset();
  // 4 ms added and a second carried from 991 ms on (the model keeps 6.5536 ms steps).
  auto carried = at(fileTimeOf(2010, 2, 3, 13, 0, 59, 995));
  EXPECT_EQ(carried.fileTime, fileTimeOf(2010, 2, 3, 13, 1, 0));
  auto kept = at(fileTimeOf(2010, 2, 3, 0, 30, 5, 900));
  EXPECT_EQ(kept.fileTime, fileTimeOf(2010, 2, 3, 0, 30, 5));
}

}  // namespace
}  // namespace tarnwick::exporter
