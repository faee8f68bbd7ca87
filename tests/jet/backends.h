#pragma once
// The backends the interface suite runs against. Each builds a database from
// a few tables of rows and can append rows while a reader holds it open.
#include <memory>
#include <string>
#include <vector>

#include "core/value.h"
#include "platform/jet/database.h"
#include "platform/jet/memory_database.h"

namespace tallix::jet::testing {

struct TableSpec {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
};

class MemoryBackend {
 public:
  static constexpr const char* kName = "memory";
  std::shared_ptr<Database> Open(const std::vector<TableSpec>& tables) {
    db_ = std::make_shared<MemoryDatabase>();
    for (const TableSpec& t : tables) {
      db_->AddTable(t.name, t.columns);
      for (const auto& row : t.rows) db_->AddRow(t.name, row);
    }
    return db_;
  }
  void Append(const std::string& table, const std::vector<std::vector<Value>>& rows) {
    for (const auto& row : rows) db_->AddRow(table, row);
  }

 private:
  std::shared_ptr<MemoryDatabase> db_;
};

}  // namespace tallix::jet::testing
