#pragma once
// Runs a shell command with no input and collects what it prints.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace tallix::testing {

struct Outcome {
  int code;
  std::string out;  // standard output and error together
};

inline Outcome RunCommand(const std::string& command) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
  std::array<char, 512> buf;
  while (std::fgets(buf.data(), buf.size(), p)) out += buf.data();
  const int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace tallix::testing
