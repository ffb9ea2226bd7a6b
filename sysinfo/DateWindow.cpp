// The Japanese era is taken from ICU's calendar rather than a table of
// start dates, so a new era arrives with an ICU update.
#include "sysinfo/DateWindow.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

#include "platform/Format.h"

namespace navirt {

LocalDate ToLocalDate(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  LocalDate d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.wday = tm.tm_wday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  return d;
}

std::string ZodiacText(int mmdd) {
  struct Sign {
    int from, to;
    const char* text;
  };
  // Capricorn alone has an ASCII blank before its Latin name; the others
  // have an ideographic space.
  static const Sign kSigns[] = {
      {101, 119, "山羊座 Capricorn"},   {120, 218, "水瓶座　Aquarius"}, {219, 320, "魚座　Pisces"},
      {321, 419, "牡羊座　Aries"},      {420, 520, "牡牛座　Taurus"},   {521, 621, "双子座　Gemini"},
      {622, 722, "蟹座　Cancer"},       {723, 821, "獅子座　Leo"},      {822, 922, "乙女座　Virgo"},
      {923, 1023, "天秤座　Libra"},     {1024, 1122, "蠍座　Scorpio"},  {1123, 1221, "射手座　Sagittarius"},
      {1222, 1231, "山羊座 Capricorn"},
  };
  for (const Sign& s : kSigns)
    if (mmdd >= s.from && mmdd <= s.to) return s.text;
  return "判定不能";
}

EraDate JapaneseEra(int year, int month, int day) {
  EraDate out;
  UErrorCode st = U_ZERO_ERROR;
  // Both calendars in GMT: only the date fields travel from one to the other.
  icu::GregorianCalendar greg(icu::TimeZone::getGMT()->clone(), st);
  icu::Locale loc("ja_JP@calendar=japanese");
  std::unique_ptr<icu::Calendar> jp(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), loc, st));
  if (U_FAILURE(st) || !jp) return out;
  greg.clear();
  greg.set(year, month - 1, day, 12, 0, 0);
  UDate t = greg.getTime(st);
  jp->setTime(t, st);
  int32_t eraYear = jp->get(UCAL_YEAR, st);
  icu::SimpleDateFormat fmt(icu::UnicodeString(u"G"), loc, st);
  if (U_FAILURE(st)) return out;
  fmt.adoptCalendar(jp.release());
  icu::UnicodeString name;
  fmt.format(t, name);
  name.toUTF8String(out.era);
  out.year = eraYear;
  return out;
}

std::string EraYearText(int year) { return year == 1 ? "元" : std::to_string(year); }

std::string MnowCaption(const LocalDate& d) {
  return " " + std::to_string(d.year) + "." + std::to_string(d.month) + "." + std::to_string(d.day) + " (" +
         JapaneseWeekday(d.wday) + ")";
}

std::string DateWindowText(const LocalDate& d) {
  static const char* const kFullWeekday[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
  const std::string ymd = std::to_string(d.month) + "月 " + std::to_string(d.day) + "日 (";
  std::string western = std::to_string(d.year) + "年 " + ymd + JapaneseWeekday(d.wday) + ")";
  EraDate era = JapaneseEra(d.year, d.month, d.day);
  std::string japanese = era.era + EraYearText(era.year) + "年 " + ymd + kFullWeekday[((d.wday % 7) + 7) % 7] + ")";
  std::string time =
      std::to_string(d.hour) + "時 " + std::to_string(d.minute) + "分 " + std::to_string(d.second) + "秒";
  // Two line breaks between the pieces (two carriage returns in the old message box).
  const std::string gap = "\n\n";
  return "現在" + gap + western + gap + japanese + gap + time + gap + ZodiacText(d.month * 100 + d.day);
}

}  // namespace navirt
