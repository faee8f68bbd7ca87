#pragma once
// The date-time type: days since 30 December 1899 00:00 as a double, the
// fraction being the time of day; and the texts the program writes of it.
#include <compare>
#include <string>

namespace tallix {

struct DateTime {
  double days = 0;
  auto operator<=>(const DateTime&) const = default;
};

struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  bool operator==(const DateParts&) const = default;
};

DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Splits at the nearest whole second (as the date-time texts show it).
// Whether a date-time field could hold t (years 100 to 9999); the splits and
// formats below raise Overflow outside it.
bool IsDateInRange(DateTime t);
DateParts SplitDateTime(DateTime t);
// The same moment cut to the whole second below, never rounded up.
DateTime TruncateToSecond(DateTime t);
DateTime AddSeconds(DateTime t, double seconds);
// Whole seconds from a to b, as a count of second boundaries crossed.
long long WholeSecondsBetween(DateTime a, DateTime b);

// "3/7/2026 14:05:09": month and day without leading zeros, the time cut to
// the whole second. The form of the names query's #...# literal.
std::string FormatQueryDate(DateTime t);

// How the host writes dates: strftime patterns of its short date and long time.
struct HostDateFormat {
  std::string short_date = "%d/%m/%Y";
  std::string long_time = "%H:%M:%S";
  // From the C library's current LC_TIME locale.
  static HostDateFormat FromLocale();
  // The first separator character of the short date ("/" when it has none).
  char DateSeparator() const;
};

// The general date: the short date, a blank, the long time.
std::string FormatGeneralDate(DateTime t, const HostDateFormat& host);
// Two-digit day, two-digit month, four-digit year with the given separator.
std::string FormatDayMonthYear(DateTime t, char separator);

}  // namespace tallix
