#pragma once
// Where the program's activity lines go: one call, one line.
#include <string>
#include <vector>

namespace tallix {

class LogWriter {
 public:
  virtual ~LogWriter() = default;
  virtual void WriteLog(const std::string& message) = 0;
};

// Keeps the lines in memory, for tests.
class MemoryLog : public LogWriter {
 public:
  void WriteLog(const std::string& message) override { lines.push_back(message); }
  std::vector<std::string> lines;
};

}  // namespace tallix
