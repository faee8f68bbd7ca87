#pragma once
// The transfer control: FTP connection settings and the upload command.
// Execute only starts the transfer; the caller neither waits nor looks at
// the outcome.
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
};

// Records the commands, for tests.
class MemoryTransfer : public Transfer {
 public:
  void Execute(const std::string&, const std::string& command) override {
    commands.push_back(command);
  }
  std::vector<std::string> commands;
};

}  // namespace tallix
