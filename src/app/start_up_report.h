#pragma once
// What a failed start-up tells the operator: "Tallix could not start:
// error N: description", then the path involved and what to do next, so a
// club can mend its set-up from the message alone.
#include <exception>
#include <string>

#include "core/date_time.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"

namespace tallix {

// A start-up failure with its number and description kept, and the advice.
class StartUpError : public RunTimeError {
 public:
  StartUpError(const RunTimeError& cause, std::string advice)
      : RunTimeError(cause.Number, cause.Description), Advice(std::move(advice)) {}
  std::string Advice;
};

// The report of any failure that stopped start-up (advice on lines of its own).
std::string StartUpReport(const std::exception& e);

// Raises 76 "Path not found" when the folder standing for drive C: is missing.
void RequireDriveC(const files::PathMap& paths);

// Advice for a failure while reading the control software's log.
std::string LogAdvice(const RunTimeError& e, const files::PathMap& paths);

// Advice for a database that could not be opened or read. `asked` is true
// when the path came from the open-file dialog; `today` is the date the log
// was searched for.
std::string DatabaseAdvice(const std::string& bws_path, bool asked, const std::string& today,
                           const files::PathMap& paths);

}  // namespace tallix
