#pragma once
// The activity log TallixLog.txt: one quoted line per call, opened and
// closed every time, written only while LogEnabled is true. A failed write
// drops the line and is reported once on standard error; it never ends
// the caller's work.
#include <string>

#include "core/clock.h"
#include "core/date_time.h"
#include "core/log_writer.h"

namespace tallix {

class ActivityLog : public LogWriter {
 public:
  ActivityLog(const bool& log_enabled, std::string path, const Clock& clock, HostDateFormat format);
  void WriteLog(const std::string& message) override;

 private:
  const bool& enabled_;
  std::string path_;
  const Clock& clock_;
  HostDateFormat format_;
  bool failure_reported_ = false;
};

}  // namespace tallix
