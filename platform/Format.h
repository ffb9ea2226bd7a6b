#pragma once
// Japanese number and date formats of the information line and status bars.
#include <cstdint>
#include <ctime>
#include <string>

namespace navirt {

// 1234567 -> "1,234,567"
std::string WithThousands(uint64_t n);
std::string WithThousandsSigned(int64_t n);
// "%15.0n": thousands separators, right-aligned in 15 characters.
std::string FormatN15(uint64_t n);
// "%15.0n" with the leading blanks removed, as the status bar shows it.
std::string FormatN15Trimmed(uint64_t n);

// Short weekday names 日 月 火 水 木 金 土 (UTF-8), 0 = Sunday.
const char* JapaneseWeekday(int wday);
// "yyyy.mm.dd(aaa)" in local time.
std::string FormatDateYmdW(std::time_t t);
// " yyyy.m.d (aaa)" as the date menu item shows it.
std::string FormatMenuDate(std::time_t t);
// Locale short formats: "yyyy/mm/dd" and "hh:nn:ss".
std::string FormatShortDate(std::time_t t);
std::string FormatShortTime(std::time_t t);

}  // namespace navirt
