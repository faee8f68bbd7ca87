#pragma once
// A program started by a test, with its output in a file; stopped by a
// signal and waited for within a limit.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tallix::testing {

class ChildProcess {
 public:
  // `output` receives standard output and standard error.
  ChildProcess(const std::vector<std::string>& argv, const std::string& output) : output_(output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int failed = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) throw std::runtime_error("cannot start " + argv[0]);
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  void Signal(int sig) const { ::kill(pid_, sig); }

  // The exit status once the program ended within `limit`; -1 when it has
  // not (it is then killed), -2 when a signal ended it.
  int Wait(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      }
      if (std::chrono::steady_clock::now() >= until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::string Output() const {
    std::ifstream in(output_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string output_;
  pid_t pid_ = -1;
};

// Polls `ready` until it holds or `limit` passes.
template <typename F>
bool Eventually(F&& ready, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace tallix::testing
