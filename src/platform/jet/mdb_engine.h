#pragma once
// The Jet engine over libmdb. The file is only read. Every recordset open
// reads the whole file afresh and parses that snapshot, so it sees every row
// written since the last open and never a page changing under the parser.
//
// libmdb trusts the pages it reads: on a damaged or half-written file it can
// crash, loop or print warnings and drop rows. So the parse runs in a reader
// process of the database's own (forked at its first read, and again after a
// read that killed it), under a time limit; a crash, a time-out, any warning
// or a row count that differs from the table's definition is a failed read
// (3343), which the caller may retry on its next pass.
#include <chrono>
#include <memory>
#include <string>

#include "platform/jet/database.h"

namespace tallix::jet {

// How often the reader was asked, and how often it read the file.
struct MdbReads {
  long asked = 0;
  long file_reads = 0;
};

struct MdbOptions {
  // How long one read may take before the child is killed.
  std::chrono::milliseconds time_limit{5000};
  // How long after its last change a file's times are sure to change with
  // its next write (the file system's clock is coarse); only then is a table
  // read from it kept.
  std::chrono::milliseconds settled_after{2000};
  // Counted here when set (tests and benchmarks).
  MdbReads* reads = nullptr;
};

class MdbEngine : public Engine {
 public:
  explicit MdbEngine(MdbOptions options = {}) : options_(options) {}
  // Checks the file is there, readable and begins as a Jet database does.
  std::shared_ptr<Database> OpenDatabase(const std::string& path) override;

 private:
  MdbOptions options_;
};

}  // namespace tallix::jet
