#include "app/activity_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace tallix {

ActivityLog::ActivityLog(const bool& log_enabled, std::string path, const Clock& clock,
                         HostDateFormat format)
    : enabled_(log_enabled), path_(std::move(path)), clock_(clock), format_(std::move(format)) {}

void ActivityLog::WriteLog(const std::string& message) {
  if (!enabled_) return;
  const std::string line =
      "\"" + FormatGeneralDate(clock_.Now(), format_) + ": " + message + "\"\r\n";

  // Opened and closed per line so each line is on disk when the call returns.
  int error = 0;
  errno = 0;
  if (std::FILE* f = std::fopen(path_.c_str(), "ab")) {
    if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) error = errno ? errno : EIO;
    if (std::fclose(f) != 0 && error == 0) error = errno ? errno : EIO;
  } else {
    error = errno ? errno : EIO;
  }
  // A log that cannot be written must not stop the display; say so once.
  if (error != 0 && !failure_reported_) {
    failure_reported_ = true;
    std::cerr << "Tallix: cannot write the activity log " << path_ << ": " << std::strerror(error)
              << "; its lines are dropped\n";
  }
}

}  // namespace tallix
