#pragma once
// Tables of Values held in memory behind the Database interface, for tests:
//   MemoryDatabase db;
//   db.AddTable("Section", {"ID", "Tables", "Description"});
//   db.AddRow("Section", {1, 12, "Tuesday Session 1"});
//   db.AddRowNamed("Section", {{"Tables", 12}});  // other fields Null
// A recordset sees the rows as they were when it was opened.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/run_time_error.h"
#include "platform/jet/database.h"
#include "platform/jet/snapshot.h"

namespace tallix::jet {

class MemoryDatabase : public Database {
 public:
  // Replaces any table of that name. Names ignore case, as in the engine.
  void AddTable(std::string name, std::vector<std::string> columns);
  // One value per column, in column order (std::invalid_argument otherwise).
  void AddRow(std::string_view table, std::vector<Value> values);
  // Values by field name; fields not named are Null.
  void AddRowNamed(std::string_view table,
                   const std::vector<std::pair<std::string, Value>>& fields);
  void ClearRows(std::string_view table);
  std::size_t RowCount(std::string_view table) const;

  // The next OpenRecordset fails with this error, as a read of a damaged file would.
  void FailNextOpen(RunTimeError error) { fail_next_ = std::move(error); }
  int OpenCount() const { return open_count_; }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view source) override;

 private:
  std::shared_ptr<TableSnapshot>* Find(std::string_view name);
  const std::shared_ptr<TableSnapshot>* Find(std::string_view name) const;
  // The table, copied first when an open recordset still shares it.
  TableSnapshot& Writable(std::string_view name);

  std::vector<std::shared_ptr<TableSnapshot>> tables_;
  std::optional<RunTimeError> fail_next_;
  int open_count_ = 0;
};

// An engine that hands out in-memory databases registered by path; other
// paths fail as a missing file does (3024).
class MemoryEngine : public Engine {
 public:
  void Add(const std::string& path, std::shared_ptr<MemoryDatabase> db) {
    dbs_[path] = std::move(db);
  }
  std::shared_ptr<Database> OpenDatabase(const std::string& path) override;

 private:
  std::map<std::string, std::shared_ptr<MemoryDatabase>> dbs_;
};

}  // namespace tallix::jet
