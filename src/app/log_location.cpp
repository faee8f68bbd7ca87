#include "app/log_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tallix {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLogName = "TallixLog.txt";

// Appending needs the file writable, or the folder when the file is new.
bool CanAppend(const fs::path& file) {
  std::error_code ec;
  if (fs::exists(file, ec)) return ::access(file.c_str(), W_OK) == 0;
  return ::access(file.parent_path().c_str(), W_OK | X_OK) == 0;
}

fs::path StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state == '/') return fs::path(state);
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : "/tmp";
  }
  return fs::path(home) / ".local" / "state";
}

}  // namespace

LogLocation ChooseActivityLog(const std::string& program_folder, const std::string& named) {
  if (!named.empty()) return {named, ""};
  const fs::path beside = fs::path(program_folder) / kLogName;
  if (CanAppend(beside)) return {beside.string(), ""};

  const fs::path folder = StateFolder() / "tallix";
  std::error_code ec;
  fs::create_directories(folder, ec);  // a failure shows at the first write
  const std::string path = (folder / kLogName).string();
  return {path, "Tallix: the activity log is " + path + " (the program's folder " + program_folder +
                    " cannot be written; --log FILE names another)"};
}

}  // namespace tallix
