// An independent reader for the writer's files: libmdb, the library the
// display reads sessions with, and mdbtools' command-line tools.
#pragma once

#include <string>
#include <vector>

namespace tallix::tooltest {

// Rows as libmdb renders them: Null (and empty text) as "", booleans "0"/"1",
// date-times "YYYY-MM-DD HH:MM:SS".
using TextRows = std::vector<std::vector<std::string>>;

// Holds the file open between reads, as the display does.
class MdbReader {
 public:
  explicit MdbReader(const std::string& path);
  ~MdbReader();
  MdbReader(const MdbReader&) = delete;
  MdbReader& operator=(const MdbReader&) = delete;

  std::vector<std::string> Tables();  // user tables, in catalog order
  std::vector<std::string> Columns(const std::string& table);
  TextRows Read(const std::string& table);
  long RowCount(const std::string& table);  // from the table definition

 private:
  void* mdb_;
};

// Runs a command line; returns what it printed on standard output. Fails the
// test when the command exits non-zero.
std::string RunCommand(const std::string& command);

}  // namespace tallix::tooltest
