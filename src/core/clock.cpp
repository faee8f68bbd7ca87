#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace tallix {

DateTime SystemClock::Now() const {
  const auto now = std::chrono::system_clock::now();
  const std::time_t secs = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&secs, &local);
  const double millis = static_cast<double>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  DateTime t = MakeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec);
  return AddSeconds(t, millis / 1000.0);
}

}  // namespace tallix
