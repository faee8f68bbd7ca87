#include "platform/spreadsheet/office_spreadsheet.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "core/run_time_error.h"

namespace tallix::spreadsheet {
namespace {

namespace fs = std::filesystem;

std::string MakeWorkFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tallix-office-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    throw RunTimeError(kCannotCreateObject,
                       "ActiveX component can't create object: no work folder (" +
                           std::string(std::strerror(errno)) + ")");
  }
  return pattern;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string LastLine(const std::string& text) {
  std::istringstream lines(text);
  std::string line, last;
  while (std::getline(lines, line)) {
    if (!line.empty()) last = line;
  }
  return last;
}

// The helper's last "error N: description" line, as it reported the failure.
bool ReportedError(const std::string& output, int& number, std::string& description) {
  std::istringstream lines(output);
  std::string line;
  bool found = false;
  while (std::getline(lines, line)) {
    if (line.rfind("error ", 0) != 0) continue;
    char* end = nullptr;
    const long n = std::strtol(line.c_str() + 6, &end, 10);
    if (end == line.c_str() + 6 || std::strncmp(end, ": ", 2) != 0) continue;
    number = static_cast<int>(n);
    description = end + 2;
    found = true;
  }
  return found;
}

// Starts the helper as the leader of a new process group; its output goes to `log`.
pid_t StartHelper(const std::string& helper, const std::string& work, const std::string& script,
                  const std::string& log) {
  std::vector<std::string> args = {helper, "--work", work, script};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    throw RunTimeError(kCannotCreateObject, "ActiveX component can't create object: " +
                                                std::string(std::strerror(errno)));
  }
  if (pid == 0) {
    setpgid(0, 0);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    if (in >= 0) dup2(in, 0);
    execv(argv[0], argv.data());
    const char message[] = "cannot run the office helper\n";
    if (write(2, message, sizeof message - 1) < 0) _exit(127);
    _exit(127);
  }
  setpgid(pid, pid);  // also here, so that the group exists before we ever signal it
  return pid;
}

}  // namespace

std::string OfficePipeName(long helper) {
  return "tallix_office_" + std::to_string(helper);
}

std::string OfficePipePath(long helper) {
  return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + OfficePipeName(helper);
}

void OfficeSpreadsheet::Start() {
  script_ = ScriptRecorder();
  opened_ = false;
  script_.Start();
}

void OfficeSpreadsheet::Open(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec) || access(path.c_str(), R_OK) != 0) {
    throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  }
  script_.Open(fs::absolute(path, ec).string());
  opened_ = true;
}

void OfficeSpreadsheet::Quit() {
  if (!opened_) return;
  opened_ = false;
  script_.Quit();  // the helper closes and ends its office however the script ends
  std::error_code ec;
  if (!fs::is_regular_file(helper_, ec) || access(helper_.c_str(), X_OK) != 0) {
    throw RunTimeError(
        kCannotCreateObject,
        "ActiveX component can't create object: the office helper " + helper_ + " is missing");
  }
  const std::string work = MakeWorkFolder();
  const std::string script = work + "/script.txt", log = work + "/helper.log";
  {
    std::ofstream out(script, std::ios::binary);
    out << script_.Script();
  }
  const pid_t pid = StartHelper(helper_, work, script, log);
  const auto deadline = std::chrono::steady_clock::now() + deadline_;
  int status = 0;
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    ended = r == pid || (r < 0 && errno != EINTR);
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The office outlives the helper when it hangs or the helper dies: end the whole group.
  kill(-pid, SIGKILL);
  unlink(OfficePipePath(pid).c_str());
  if (!ended) waitpid(pid, &status, 0);
  const std::string output = ReadAll(log);
  fs::remove_all(work, ec);
  if (!ended) {
    throw RunTimeError(kAutomationError,
                       "Automation error: the spreadsheet application did not finish within " +
                           std::to_string(deadline_.count() / 1000) + " s and was ended");
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
  int number = 0;
  std::string description;
  if (ReportedError(output, number, description)) throw RunTimeError(number, description);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    throw RunTimeError(kCannotCreateObject,
                       "ActiveX component can't create object: the office helper could not run (" +
                           LastLine(output) + ")");
  }
  throw RunTimeError(
      kAutomationError,
      "Automation error: the office helper ended " +
          (WIFSIGNALED(status) ? "by signal " + std::to_string(WTERMSIG(status))
                               : "with status " + std::to_string(WEXITSTATUS(status))) +
          (output.empty() ? "" : " (" + LastLine(output) + ")"));
}

}  // namespace tallix::spreadsheet
