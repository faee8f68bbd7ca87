#pragma once
// A PDF printer for tests: cupsd (started here unless it runs, and stopped
// again) with a cups-pdf queue as the default printer. Its files land in
// ~/PDF. Needs root.
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tallix::testing {

// Exit status and output (standard error too) of a shell command.
inline std::pair<int, std::string> RunCommand(const std::string& command) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  std::array<char, 512> buf;
  while (std::fgets(buf.data(), buf.size(), p)) out += buf.data();
  const int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class PdfPrinter {
 public:
  // Empty when the printer is ready, otherwise why not.
  std::string Start() {
    using namespace std::chrono_literals;
    if (getuid() != 0) return "a PDF printer can only be set up as root";
    if (RunCommand("lpstat -r").second.find("not running") != std::string::npos) {
      std::filesystem::create_directories("/run/cups");
      cupsd_ = fork();
      if (cupsd_ == 0) {
        execlp("cupsd", "cupsd", "-f", static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int i = 0; i < 200; ++i) {
        if (RunCommand("lpstat -r").second.find("is running") != std::string::npos) break;
        std::this_thread::sleep_for(50ms);
      }
    }
    const auto [code, out] = RunCommand(
        "lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"
        " -o pdftops-renderer-default=pdftocairo && lpadmin -d PDF");
    return code == 0 ? "" : "no PDF printer: " + out;
  }
  void Stop() {
    if (cupsd_ <= 0) return;
    kill(cupsd_, SIGTERM);
    waitpid(cupsd_, nullptr, 0);
    cupsd_ = -1;
  }

  static std::filesystem::path Folder() {
    return std::filesystem::path(getpwuid(getuid())->pw_dir) / "PDF";
  }
  static std::set<std::string> Files() {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Folder(), ec)) {
      names.insert(e.path().string());
    }
    return names;
  }

  // The PDFs printed since `before` was taken, in the order their jobs were
  // submitted, once every job has left the queue (up to a minute).
  static std::vector<std::filesystem::path> NewFiles(const std::set<std::string>& before) {
    using namespace std::chrono_literals;
    for (int i = 0; i < 600 && !RunCommand("lpstat -o").second.empty(); ++i) {
      std::this_thread::sleep_for(100ms);
    }
    std::vector<std::filesystem::path> found;
    for (const std::string& f : Files()) {
      if (!before.count(f)) found.push_back(f);
    }
    // cups-pdf names a file after its job ("..._job_12.pdf"); jobs count up as submitted.
    const auto job = [](const std::filesystem::path& f) {
      const std::string name = f.stem().string();
      const std::size_t at = name.rfind("job_");
      return at == std::string::npos ? 0L : std::atol(name.c_str() + at + 4);
    };
    std::sort(found.begin(), found.end(),
              [&](const auto& a, const auto& b) { return job(a) < job(b); });
    return found;
  }

 private:
  pid_t cupsd_ = -1;
};

}  // namespace tallix::testing
