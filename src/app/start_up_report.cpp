#include "app/start_up_report.h"

#include <filesystem>
#include <system_error>

namespace tallix {
namespace {

constexpr const char* kLogPath = "C:\\Bridgemate\\BMProLog.log";
constexpr int kPathNotFound = 76;

// Which folder stands for drive C: and where that came from.
std::string DriveCInUse(const files::PathMap& paths) {
  const bool default_folder = paths.DriveC() == files::PathMap::DefaultDriveC();
  return paths.DriveC() +
         (default_folder ? " (the default; --drive-c DIR names another)" : " (from --drive-c)");
}

const char kChooseYourself[] = "or start with /? to choose the session's database yourself";

}  // namespace

std::string StartUpReport(const std::exception& e) {
  const auto* error = dynamic_cast<const RunTimeError*>(&e);
  if (!error) return std::string("Tallix could not start: ") + e.what();
  std::string report =
      "Tallix could not start: error " + std::to_string(error->Number) + ": " + error->Description;
  if (const auto* start_up = dynamic_cast<const StartUpError*>(&e)) {
    if (!start_up->Advice.empty()) report += "\n" + start_up->Advice;
  }
  return report;
}

void RequireDriveC(const files::PathMap& paths) {
  std::error_code ec;
  if (std::filesystem::is_directory(paths.DriveC(), ec)) return;
  throw StartUpError(RunTimeError(kPathNotFound, "Path not found"),
                     "The folder standing for the scoring PC's drive C:, " + DriveCInUse(paths) +
                         ", does not exist.\nNext: mount the scoring PC's C: drive there, or start "
                         "with --drive-c set to "
                         "the folder where it is mounted (tallix --help lists the options).");
}

std::string LogAdvice(const RunTimeError& e, const files::PathMap& paths) {
  const std::string where = "The control software's log " + std::string(kLogPath) +
                            " was looked for as " + paths.ToHost(kLogPath) +
                            "; drive C: is the folder " + DriveCInUse(paths) + ".";
  if (e.Number == err::kFileNotFound) {
    return where +
           "\nNext: point --drive-c at the folder where the scoring PC's C: drive is mounted, " +
           kChooseYourself + ".";
  }
  return where + "\nNext: check that the log can be read, " + kChooseYourself + ".";
}

std::string DatabaseAdvice(const std::string& bws_path, bool asked, const std::string& today,
                           const files::PathMap& paths) {
  if (bws_path.empty() && asked) {
    return "No database was chosen.\nNext: start again and choose the session's .bws file "
           "(with --once it is typed on the terminal).";
  }
  if (bws_path.empty()) {
    return "The control software has opened no database today: its log " + paths.ToHost(kLogPath) +
           " has no line beginning with today's date, " + today +
           ", that names a .bws file.\nNext: open the session in the control software and "
           "start Tallix again, " +
           kChooseYourself + ".";
  }
  const std::string source = asked ? "chosen in the dialog" : "named by the control software's log";
  return "The session database " + bws_path + ", " + source + ", was read as " +
         paths.ToHost(bws_path) + "; drive C: is the folder " + DriveCInUse(paths) +
         ".\nNext: check that the scoring PC's folder of that database is mounted there and "
         "the file can be read, " +
         kChooseYourself + ".";
}

}  // namespace tallix
