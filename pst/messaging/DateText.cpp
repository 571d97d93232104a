#include "pst/messaging/DateText.h"

#include <cctype>
#include <chrono>
#include <string>

namespace tarnwick::pst {

namespace {
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

bool readNumber(std::string_view s, std::size_t& pos, int maxDigits, int& out) {
    int digits = 0;
    out = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && digits < maxDigits) {
        out = out * 10 + (s[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

bool expect(std::string_view s, std::size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}
} // namespace

std::uint64_t fileTimeOf(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    sys_days d = year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                std::chrono::day{static_cast<unsigned>(day)}};
    std::int64_t unix = d.time_since_epoch().count() * 86400LL + hour * 3600LL + minute * 60LL + second;
    return static_cast<std::uint64_t>(unix + kSecondsFrom1601To1970) * kTicksPerSecond;
}

std::optional<std::uint64_t> parseDateText(std::string_view s) {
    std::size_t pos = 0;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!readNumber(s, pos, 2, month) || !expect(s, pos, '/') || !readNumber(s, pos, 2, day) || !expect(s, pos, '/') ||
        !readNumber(s, pos, 4, year))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1601 || year > 9999) return std::nullopt;
    using namespace std::chrono;
    if (!year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                        std::chrono::day{static_cast<unsigned>(day)}}
             .ok())
        return std::nullopt;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    if (pos < s.size()) {
        if (!readNumber(s, pos, 2, hour) || !expect(s, pos, ':') || !readNumber(s, pos, 2, minute) ||
            !expect(s, pos, ':') || !readNumber(s, pos, 2, second))
            return std::nullopt;
        while (pos < s.size() && s[pos] == ' ') ++pos;
        std::string ampm(s.substr(pos, 2));
        for (char& c : ampm) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (hour > 12 || minute > 59 || second > 59) return std::nullopt;
        if (ampm == "PM") {
            if (hour != 12) hour += 12;
        } else if (ampm == "AM") {
            if (hour == 12) hour = 0;
        } else if (!ampm.empty()) {
            return std::nullopt;
        }
    }
    return fileTimeOf(year, month, day, hour, minute, second);
}

} // namespace tarnwick::pst
