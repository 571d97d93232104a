#include "content/RowSorting.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace tarnwick::content {

namespace {

constexpr int kLastSortedYear = 2099;

char16_t fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

int compareFolded(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = fold(a[i]);
    char16_t y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

long long sortDateValue(std::u16string_view date) {
  std::string narrow;
  for (char16_t c : date) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (narrow.size() < 4 ||
      std::sscanf(narrow.c_str(), "%4d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second) != 6) {
    return 0;
  }
  if (year < 1 || year > kLastSortedYear || month < 1 || month > 12 || day < 1 || day > 31 || hour > 24 ||
      minute > 60 || second > 60 || hour < 0 || minute < 0 || second < 0) {
    return 0;
  }
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return static_cast<long long>(std::mktime(&tm));
}

int RowSorter::compareRows(const SortRecord* first, const SortRecord* second, int column, bool previewBusy) const {
  if (previewBusy || first == nullptr || second == nullptr) return 0;
  int order = 0;
  if (column >= 0 && column <= 3) {
    order = compareFolded(first->columnText(column), second->columnText(column));
  } else {
    long long a = sortDateValue(first->date);
    long long b = sortDateValue(second->date);
    order = a < b ? -1 : a > b ? 1 : 0;
  }
  return direction_ == 'a' ? order : -order;
}

}  // namespace tarnwick::content
