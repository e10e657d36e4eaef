#include "engine/date_text.h"

#include <cstdio>
#include <ctime>

namespace qb {
namespace {

std::tm LocalTime(int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

// Reads 1 to |max_digits| digits from |text| at |*pos|.
bool ReadNumber(std::string_view text, size_t* pos, int max_digits, int* value) {
  int digits = 0;
  *value = 0;
  while (*pos < text.size() && digits < max_digits && text[*pos] >= '0' && text[*pos] <= '9') {
    *value = *value * 10 + (text[*pos] - '0');
    ++*pos;
    ++digits;
  }
  return digits > 0;
}

bool Expect(std::string_view text, size_t* pos, char c) {
  if (*pos >= text.size() || text[*pos] != c) return false;
  ++*pos;
  return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::string FormatGeneralDate(int64_t seconds) {
  std::tm tm = LocalTime(seconds);
  char buffer[64];
  if (tm.tm_hour == 0 && tm.tm_min == 0 && tm.tm_sec == 0) {
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  }
  return buffer;
}

int64_t DateStamp(int64_t seconds) {
  std::tm tm = LocalTime(seconds);
  return (tm.tm_year + 1900) * 10000000000LL + (tm.tm_mon + 1) * 100000000LL +
         tm.tm_mday * 1000000LL + tm.tm_hour * 10000LL + tm.tm_min * 100LL + tm.tm_sec;
}

std::optional<int64_t> ParseGeneralDate(std::string_view text) {
  size_t pos = 0;
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (!ReadNumber(text, &pos, 4, &y) || pos != 4 || !Expect(text, &pos, '/') ||
      !ReadNumber(text, &pos, 2, &mo) || !Expect(text, &pos, '/') || !ReadNumber(text, &pos, 2, &d))
    return std::nullopt;
  if (pos < text.size()) {
    if (!Expect(text, &pos, ' ') || !ReadNumber(text, &pos, 2, &h) || !Expect(text, &pos, ':') ||
        !ReadNumber(text, &pos, 2, &mi) || !Expect(text, &pos, ':') ||
        !ReadNumber(text, &pos, 2, &s) || pos != text.size())
      return std::nullopt;
  }
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59)
    return std::nullopt;
  return y * 10000000000LL + mo * 100000000LL + d * 1000000LL + h * 10000LL + mi * 100LL + s;
}

}  // namespace qb
