#include "core/date_time.h"

#include <langinfo.h>

#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/run_time_error.h"

namespace tallix {
namespace {

constexpr double kSecondsPerDay = 86400.0;
// Days from 1970-01-01 to 1899-12-30.
constexpr long long kEpochShift = -25569;

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

// Seconds since 1899-12-30 00:00, either rounded or cut to the whole second.
long long TotalSeconds(DateTime t, bool round) {
  if (!IsDateInRange(t)) RaiseOverflow();
  const double s = t.days * kSecondsPerDay;
  return static_cast<long long>(round ? std::llround(s) : std::floor(s + 1e-6));
}

DateParts PartsOfSeconds(long long total) {
  long long day = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  long long rest = total - day * 86400;
  DateParts p;
  CivilFromDays(day + kEpochShift, p.year, p.month, p.day);
  p.hour = static_cast<int>(rest / 3600);
  p.minute = static_cast<int>(rest / 60 % 60);
  p.second = static_cast<int>(rest % 60);
  return p;
}

std::string Strftime(const std::string& pattern, const DateParts& p) {
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  tm.tm_isdst = -1;
  char buf[128];
  const std::size_t n = std::strftime(buf, sizeof buf, pattern.c_str(), &tm);
  return std::string(buf, n);
}

}  // namespace

DateTime MakeDateTime(int year, int month, int day, int hour, int minute, int second) {
  const long long days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochShift;
  return DateTime{static_cast<double>(days) +
                  (hour * 3600 + minute * 60 + second) / kSecondsPerDay};
}

bool IsDateInRange(DateTime t) {
  // 1 January 100 to 31 December 9999, the dates a date-time field can hold.
  return t.days >= -657434.0 && t.days < 2958466.0;
}

DateParts SplitDateTime(DateTime t) {
  return PartsOfSeconds(TotalSeconds(t, true));
}

DateTime TruncateToSecond(DateTime t) {
  return DateTime{static_cast<double>(TotalSeconds(t, false)) / kSecondsPerDay};
}

DateTime AddSeconds(DateTime t, double seconds) {
  return DateTime{t.days + seconds / kSecondsPerDay};
}

long long WholeSecondsBetween(DateTime a, DateTime b) {
  return TotalSeconds(b, false) - TotalSeconds(a, false);
}

std::string FormatQueryDate(DateTime t) {
  const DateParts p = PartsOfSeconds(TotalSeconds(t, false));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d/%d/%04d %02d:%02d:%02d", p.month, p.day, p.year, p.hour,
                p.minute, p.second);
  return buf;
}

HostDateFormat HostDateFormat::FromLocale() {
  HostDateFormat f;
  if (const char* d = nl_langinfo(D_FMT); d && *d) f.short_date = d;
  if (const char* t = nl_langinfo(T_FMT); t && *t) f.long_time = t;
  return f;
}

char HostDateFormat::DateSeparator() const {
  for (std::size_t i = 0; i < short_date.size(); ++i) {
    if (short_date[i] == '%') {
      ++i;
      continue;
    }
    return short_date[i];
  }
  return '/';
}

std::string FormatGeneralDate(DateTime t, const HostDateFormat& host) {
  const DateParts p = SplitDateTime(t);
  return Strftime(host.short_date, p) + " " + Strftime(host.long_time, p);
}

std::string FormatDayMonthYear(DateTime t, char separator) {
  const DateParts p = SplitDateTime(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", p.day, separator, p.month, separator, p.year);
  return buf;
}

}  // namespace tallix
