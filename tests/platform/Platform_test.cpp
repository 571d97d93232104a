#include "platform/AppText.h"
#include "platform/CodePage.h"
#include "platform/DiskSpace.h"
#include "platform/FileTime.h"
#include "platform/MessageSink.h"
#include "platform/OutOfMemory.h"
#include "platform/Settings.h"
#include "platform/TempDirectory.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>

namespace tarnwick {
namespace {

TEST(FileTime, SplitsFileTimesLikeWindows) {
  // 2004-02-29 13:45:30.123 UTC, a Sunday.
  const std::uint64_t ft = kFileTimeUnixEpoch + (1078062330ULL * kFileTimeTicksPerSecond) + 1230000;
  auto t = fileTimeToSystemTime(ft);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (SystemTime{2004, 2, 0, 29, 13, 45, 30, 123}));
  auto epoch = fileTimeToSystemTime(0);
  ASSERT_TRUE(epoch);
  EXPECT_EQ(*epoch, (SystemTime{1601, 1, 1, 1, 0, 0, 0, 0}));  // a Monday
  auto last = fileTimeToSystemTime(0x7FFFFFFFFFFFFFFFULL);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->year, 30828);
  EXPECT_FALSE(fileTimeToSystemTime(0x8000000000000000ULL));
}

TEST(FileTime, CalendarTimesGoBackToFileTimesAndCutToTheSecondAndTheDay) {
  EXPECT_EQ(utcFileTime(1601, 1, 1), 0u);
  EXPECT_EQ(utcFileTime(1970, 1, 1), kFileTimeUnixEpoch);
  const std::uint64_t ft = kFileTimeUnixEpoch + (1078062330ULL * kFileTimeTicksPerSecond) + 1230000;
  EXPECT_EQ(utcFileTime(2004, 2, 29, 13, 45, 30), wholeSecondOf(ft));
  EXPECT_EQ(utcFileTime(2004, 2, 29), utcDayStartOf(ft));
  EXPECT_EQ(utcFileTime(2004, 3, 1), utcDayStartOf(utcFileTime(2004, 2, 29, 23, 59, 59) + kFileTimeTicksPerSecond));
  for (std::uint64_t t :
       {utcFileTime(1980, 1, 1), utcFileTime(2099, 12, 31, 23, 59, 59), utcFileTime(2000, 2, 29, 12)}) {
    const auto parts = fileTimeToSystemTime(t);
    ASSERT_TRUE(parts);
    EXPECT_EQ(utcFileTime(parts->year, parts->month, parts->day, parts->hour, parts->minute, parts->second), t);
  }
}

TEST(FileTime, ModelTimeKeepsTheUpperFortyEightBitsLowByteFirst) {
  ModelTime m;
  m.bytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  EXPECT_EQ(modelTimeToFileTime(m), 0x6655443322110000ULL);
  const std::uint64_t ft = 0x01C3F1A2B3C4D5E6ULL;
  EXPECT_EQ(modelTimeToFileTime(modelTimeFromFileTime(ft)), ft & ~0xFFFFULL);
  EXPECT_EQ(modelTimeFromFileTime(ft).bytes[0], 0xC4);
}

TEST(FileTime, LocalTimeFollowsTheMachineZone) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  const std::uint64_t ft = kFileTimeUnixEpoch + 1078062330ULL * kFileTimeTicksPerSecond;  // 13:45:30 UTC
  ::setenv("TZ", "Asia/Kolkata", 1);
  ::tzset();
  auto kolkata = fileTimeToLocalSystemTime(ft);
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  auto utc = fileTimeToLocalSystemTime(ft);
  if (old)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
  ASSERT_TRUE(kolkata && utc);
  EXPECT_EQ(utc->hour, 13);
  EXPECT_EQ(kolkata->hour, 19);
  EXPECT_EQ(kolkata->minute, 15);
}

TEST(CodePage, Windows1252RoundTripsAndMapsUndefinedBytes) {
  const std::string text = "Caf\xE9 \x80 \x93quoted\x94 \x81";
  const std::u16string wide = windows1252ToUtf16(text);
  EXPECT_EQ(wide, u"Caf\u00E9 \u20AC \u201Cquoted\u201D \u0081");
  EXPECT_EQ(utf16ToWindows1252(u"Caf\u00E9 \u20AC \u201Cquoted\u201D"), "Caf\xE9 \x80 \x93quoted\x94");
  EXPECT_EQ(utf16ToWindows1252(u"a\u4E2Db\U0001F98Ac"), "a?b?c");  // one '?' per character
  EXPECT_EQ(windows1252ToUtf16(std::string(3000, '\xE9')).size(), 3000u);
  EXPECT_TRUE(windows1252ToUtf16("").empty());
}

TEST(CodePage, Utf8AndUtf16ConvertAndReplaceMalformedInput) {
  EXPECT_EQ(utf8ToUtf16("fox \xF0\x9F\xA6\x8A \xC3\xA9"), u"fox \U0001F98A \u00E9");
  EXPECT_EQ(utf16ToUtf8(u"fox \U0001F98A \u00E9 \u20AC"), "fox \xF0\x9F\xA6\x8A \xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(utf8ToUtf16("a\xFF"
                        "b\xC3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
  const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
  EXPECT_EQ(utf16ToUtf8(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(TempDirectory, PrivateFolderIsMadeUnderTmpdirWithOwnerOnlyAccessAndRemovedAtExit) {
  testing::ScratchDir parent;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    ::setenv("TMPDIR", parent.path().c_str(), 1);
    const auto& dir = privateTempDirectory();
    if (dir.parent_path() != parent.path()) ::_exit(2);  // made before the fork: cannot tell
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || (st.st_mode & 0777) != 0700) ::_exit(3);
    std::ofstream(tempFilePath("tempB.img")) << "working data";
    const std::string text = dir.string();
    if (::write(fds[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) ::_exit(4);
    ::close(fds[1]);
    std::exit(0);  // a normal exit removes the folder
  }
  ::close(fds[1]);
  char buf[4096];
  const ssize_t n = ::read(fds[0], buf, sizeof buf);
  ::close(fds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "the folder was made before this test";
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_GT(n, 0);
  const std::filesystem::path made(std::string(buf, static_cast<std::size_t>(n)));
  EXPECT_EQ(made.parent_path(), parent.path());
  EXPECT_FALSE(std::filesystem::exists(made));

  // In this process: made once, the same folder every time.
  const auto& dir = privateTempDirectory();
  EXPECT_EQ(&dir, &privateTempDirectory());
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  EXPECT_EQ(tempFilePath("TarnBody.eml"), dir / "TarnBody.eml");
}

TEST(DiskSpace, FreeBytesOfAnExistingVolumeAndNothingForAMissingPath) {
  auto free = freeBytesOfVolume("/");
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(freeBytesOfVolume("/no/such/folder/anywhere"));
}

TEST(Settings, InstallationFolderIsReadAndWrittenInIniForm) {
  testing::ScratchDir dir;
  const auto file = dir.path() / "tarnwick" / "tarnwick.ini";
  EXPECT_EQ(readInstallationFolder(file), "");
  std::filesystem::create_directories(file.parent_path());
  {
    std::ofstream out(file);
    out << "[General]\nFilePath=/wrong\n\n[TKEDB_PST]\nOther=1\nFilePath = \"/opt/tarnwick \\\"x\\\"\"\n[Later]\nk=v\n";
  }
  EXPECT_EQ(readInstallationFolder(file), "/opt/tarnwick \"x\"");
  ASSERT_TRUE(writeInstallationFolder(file, "/usr/share/tarnwick"));
  EXPECT_EQ(readInstallationFolder(file), "/usr/share/tarnwick");
  std::ifstream in(file);
  std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(all.find("FilePath=/wrong"), std::string::npos);
  EXPECT_NE(all.find("Other=1"), std::string::npos);
  EXPECT_NE(all.find("k=v"), std::string::npos);

  const auto fresh = dir.path() / "new" / "tarnwick.ini";
  ASSERT_TRUE(writeInstallationFolder(fresh, "C:\\odd\\path"));
  EXPECT_EQ(readInstallationFolder(fresh), "C:\\odd\\path");

  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(settingsFilePath(), file);
  EXPECT_EQ(readInstallationFolder(), "/usr/share/tarnwick");
  ::unsetenv("XDG_CONFIG_HOME");
}

class RecordingSink : public MessageSink {
 public:
  MessageAnswer show(const Message& m) override {
    last = m;
    return MessageAnswer::Ok;
  }
  Message last;
};

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWICK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNWICK_ASAN 1
#endif

void* volatile g_sink_of_allocation = nullptr;

TEST(OutOfMemory, ShowsTheMessageThenEndsWithANonZeroCode) {
#ifdef TARNWICK_ASAN
  GTEST_SKIP() << "AddressSanitizer ends the process itself on a failed allocation";
#endif
  testing::ScratchDir dir;
  const auto out = dir.path() / "messages.txt";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    static StreamMessageSink sink(std::fopen(out.c_str(), "w"));
    installOutOfMemoryHandler(sink);
    volatile std::size_t huge = static_cast<std::size_t>(1) << 62;
    g_sink_of_allocation = ::operator new(huge);
    ::_exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kOutOfMemoryExitCode);
  std::ifstream in(out);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, std::string(kMessageCaption) + ": Out Of Memory");
}

TEST(MessageSink, StreamSinkPrintsCaptionAndTextAndAnswersFromItsSetting) {
  testing::ScratchDir dir;
  const auto path = dir.path() / "out.txt";
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  StreamMessageSink sink(f);
  EXPECT_EQ(sink.show({"Save?", kMessageCaption, MessageIcon::Question, MessageButtons::YesNo, false}),
            MessageAnswer::No);
  sink.setQuestionAnswer(MessageAnswer::Yes);
  EXPECT_EQ(sink.show({"Save?", kMessageCaption, MessageIcon::Question, MessageButtons::YesNo, false}),
            MessageAnswer::Yes);
  EXPECT_EQ(sink.show({"Done", kMessageCaption, MessageIcon::Information, MessageButtons::Ok, false}),
            MessageAnswer::Ok);
  EXPECT_EQ(sink.show({"Go on?", kMessageCaption, MessageIcon::Question, MessageButtons::OkCancel, false}),
            MessageAnswer::Cancel);
  std::fclose(f);
  std::ifstream in(path);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, " Tarnwick For  EDB To PST: Save?");
}

}  // namespace
}  // namespace tarnwick
