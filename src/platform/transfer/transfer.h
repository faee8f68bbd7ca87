#pragma once
// The transfer control: FTP connection settings and the upload command.
// Execute only starts the transfer; the caller never waits for it.
#include <functional>
#include <string>
#include <vector>

namespace tallix {

class Transfer {
 public:
  virtual ~Transfer() = default;
  std::string URL;
  std::string UserName;
  std::string Password;
  // An FTP command text such as "put C:\Bridgemate\RankingTable.htm www/RankingTable.htm".
  virtual void Execute(const std::string& url, const std::string& command) = 0;
  // Where a change in the uploads' outcome is told (failing, working again).
  // It may be called on another thread; nullptr stops it before its owner goes.
  virtual void SetReport(std::function<void(const std::string& line)> report) { (void)report; }
};

// Records the commands, for tests.
class MemoryTransfer : public Transfer {
 public:
  void Execute(const std::string&, const std::string& command) override {
    commands.push_back(command);
  }
  void SetReport(std::function<void(const std::string& line)> report) override {
    this->report = std::move(report);
  }
  std::vector<std::string> commands;
  std::function<void(const std::string& line)> report;
};

// Publishing switched off: nothing is sent.
class NoTransfer : public Transfer {
 public:
  void Execute(const std::string&, const std::string&) override {}
};

}  // namespace tallix
