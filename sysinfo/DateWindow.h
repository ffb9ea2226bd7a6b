#pragma once
// The date menu item `Mnow` and the date window: today in the Western and
// the Japanese era calendar, the time and the zodiac sign. Texts are UTF-8.
#include <ctime>
#include <string>

namespace navirt {

struct LocalDate {
  int year = 2000, month = 1, day = 1;  // month 1..12
  int wday = 0;                         // 0 = Sunday
  int hour = 0, minute = 0, second = 0;
};
LocalDate ToLocalDate(std::time_t t);  // in the process's time zone

// The sign for month * 100 + day; "判定不能" outside the calendar.
std::string ZodiacText(int mmdd);

struct EraDate {
  std::string era;  // "令和", "平成", ...; empty when the calendar has none
  int year = 0;     // year of the era, 1 for the first
};
// From ICU's Japanese calendar, so a new era needs only a new ICU.
EraDate JapaneseEra(int year, int month, int day);
// "元" for the first year of an era, else the number.
std::string EraYearText(int year);

// " 2019.5.1 (水)"
std::string MnowCaption(const LocalDate& d);
// The five pieces of the date window joined by two line breaks each.
std::string DateWindowText(const LocalDate& d);

}  // namespace navirt
