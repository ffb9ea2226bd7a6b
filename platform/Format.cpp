// Numbers are grouped by hand, not through a locale: the output must not
// change with the user's LANG, and tests compare it byte for byte.
#include "platform/Format.h"

#include <cstdio>

namespace navirt {

std::string WithThousands(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string WithThousandsSigned(int64_t n) {
  if (n >= 0) return WithThousands(static_cast<uint64_t>(n));
  return "-" + WithThousands(static_cast<uint64_t>(-(n + 1)) + 1);
}

std::string FormatN15(uint64_t n) {
  std::string s = WithThousands(n);
  if (s.size() < 15) s.insert(0, 15 - s.size(), ' ');
  return s;
}

std::string FormatN15Trimmed(uint64_t n) { return WithThousands(n); }

const char* JapaneseWeekday(int wday) {
  static const char* const names[] = {"日", "月", "火", "水", "木", "金", "土"};
  return names[((wday % 7) + 7) % 7];
}

namespace {
std::tm Local(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}
}  // namespace

std::string FormatDateYmdW(std::time_t t) {
  std::tm tm = Local(t);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d.%02d.%02d(%s)", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                JapaneseWeekday(tm.tm_wday));
  return buf;
}

std::string FormatMenuDate(std::time_t t) {
  std::tm tm = Local(t);
  char buf[64];
  std::snprintf(buf, sizeof buf, " %04d.%d.%d (%s)", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                JapaneseWeekday(tm.tm_wday));
  return buf;
}

std::string FormatShortDate(std::time_t t) {
  std::tm tm = Local(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

std::string FormatShortTime(std::time_t t) {
  std::tm tm = Local(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

}  // namespace navirt
