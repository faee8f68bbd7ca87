#include "platform/jet/memory_database.h"

#include <stdexcept>

#include "platform/jet/query.h"

namespace tallix::jet {

void MemoryDatabase::AddTable(std::string name, std::vector<std::string> columns) {
  auto table = std::make_shared<TableSnapshot>();
  table->name = std::move(name);
  table->columns = std::move(columns);
  if (auto* existing = Find(table->name)) {
    *existing = std::move(table);
  } else {
    tables_.push_back(std::move(table));
  }
}

void MemoryDatabase::AddRow(std::string_view table, std::vector<Value> values) {
  TableSnapshot& t = Writable(table);
  if (values.size() != t.columns.size())
    throw std::invalid_argument("AddRow: " + std::to_string(values.size()) + " values for " +
                                std::to_string(t.columns.size()) + " columns of " + t.name);
  t.rows.push_back(std::move(values));
}

void MemoryDatabase::AddRowNamed(std::string_view table,
                                 const std::vector<std::pair<std::string, Value>>& fields) {
  TableSnapshot& t = Writable(table);
  std::vector<Value> row(t.columns.size());
  for (const auto& [name, value] : fields) {
    const int i = FindColumn(t.columns, name);
    if (i < 0) throw std::invalid_argument("AddRowNamed: " + t.name + " has no column " + name);
    row[static_cast<std::size_t>(i)] = value;
  }
  t.rows.push_back(std::move(row));
}

void MemoryDatabase::ClearRows(std::string_view table) {
  Writable(table).rows.clear();
}

std::size_t MemoryDatabase::RowCount(std::string_view table) const {
  const auto* t = Find(table);
  if (!t) throw std::invalid_argument("RowCount: no table " + std::string(table));
  return (*t)->rows.size();
}

std::unique_ptr<Recordset> MemoryDatabase::OpenRecordset(std::string_view source) {
  ++open_count_;
  if (fail_next_) {
    RunTimeError error = std::move(*fail_next_);
    fail_next_.reset();
    throw error;
  }
  if (IsQueryText(source)) {
    const Query query = ParseQuery(source);
    const auto* table = Find(query.table);
    if (!table) RaiseNoSuchTable(query.table);
    return OpenSnapshot(*table, &query);
  }
  const auto* table = Find(source);
  if (!table) RaiseNoSuchTable(source);
  return OpenSnapshot(*table, nullptr);
}

std::shared_ptr<TableSnapshot>* MemoryDatabase::Find(std::string_view name) {
  for (auto& t : tables_)
    if (EqualsIgnoringCase(t->name, name)) return &t;
  return nullptr;
}

const std::shared_ptr<TableSnapshot>* MemoryDatabase::Find(std::string_view name) const {
  for (const auto& t : tables_)
    if (EqualsIgnoringCase(t->name, name)) return &t;
  return nullptr;
}

TableSnapshot& MemoryDatabase::Writable(std::string_view name) {
  auto* t = Find(name);
  if (!t) throw std::invalid_argument("no table " + std::string(name) + " in the memory database");
  if (t->use_count() > 1) *t = std::make_shared<TableSnapshot>(**t);
  return **t;
}

std::shared_ptr<Database> MemoryEngine::OpenDatabase(const std::string& path) {
  const auto it = dbs_.find(path);
  if (it == dbs_.end())
    throw RunTimeError(err::kCannotOpenFile, "Could not find the database file '" + path + "'");
  return it->second;
}

}  // namespace tallix::jet
