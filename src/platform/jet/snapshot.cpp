#include "platform/jet/snapshot.h"

#include <cstdint>
#include <utility>

#include "core/run_time_error.h"

namespace tallix::jet {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[noreturn]] void RaiseNoSuchField(std::string_view name) {
  throw RunTimeError(err::kNoSuchField,
                     "There is no field named '" + std::string(name) + "' in this recordset");
}

int RequireColumn(const TableSnapshot& table, std::string_view name) {
  const int i = FindColumn(table.columns, name);
  if (i < 0)
    throw RunTimeError(err::kNoSuchField, "The table '" + table.name + "' has no field named '" +
                                              std::string(name) + "'");
  return i;
}

class SnapshotRecordset : public Recordset {
 public:
  SnapshotRecordset(std::shared_ptr<const TableSnapshot> table,
                    std::vector<std::pair<std::string, int>> fields, std::vector<uint32_t> rows)
      : table_(std::move(table)), fields_(std::move(fields)), rows_(std::move(rows)) {}

  bool Eof() const override {
    CheckOpen();
    return pos_ >= rows_.size();
  }
  void MoveFirst() override {
    CheckOpen();
    if (rows_.empty()) RaiseNoCurrentRow();
    pos_ = 0;
  }
  void MoveNext() override {
    if (Eof()) RaiseNoCurrentRow();
    ++pos_;
  }
  Value Field(std::string_view name) const override {
    CheckOpen();
    const int column = Lookup(name);
    if (pos_ >= rows_.size()) RaiseNoCurrentRow();
    return table_->rows[rows_[pos_]][static_cast<std::size_t>(column)];
  }
  void Close() override {
    closed_ = true;
    table_.reset();
  }

 private:
  int Lookup(std::string_view name) const {
    // Rows are read field by field in the same order each time: try the next one first.
    const std::size_t n = fields_.size();
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = (hint_ + k) % n;
      if (fields_[i].first == name) {
        hint_ = i + 1;
        return fields_[i].second;
      }
    }
    for (const auto& [field, column] : fields_)
      if (EqualsIgnoringCase(field, name)) return column;
    RaiseNoSuchField(name);
  }
  void CheckOpen() const {
    if (closed_) throw RunTimeError(kObjectClosed, "The recordset has been closed");
  }
  [[noreturn]] static void RaiseNoCurrentRow() {
    throw RunTimeError(err::kNoCurrentRecord,
                       "There is no current row: the recordset is empty or past its last row");
  }

  std::shared_ptr<const TableSnapshot> table_;
  std::vector<std::pair<std::string, int>> fields_;
  std::vector<uint32_t> rows_;
  std::size_t pos_ = 0;
  mutable std::size_t hint_ = 0;
  bool closed_ = false;
};

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

int FindColumn(const std::vector<std::string>& columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (EqualsIgnoringCase(columns[i], name)) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<Recordset> OpenSnapshot(std::shared_ptr<const TableSnapshot> table,
                                        const Query* query) {
  std::vector<std::pair<std::string, int>> fields;
  if (query == nullptr || query->all_columns) {
    for (std::size_t i = 0; i < table->columns.size(); ++i)
      fields.emplace_back(table->columns[i], static_cast<int>(i));
  } else {
    for (const std::string& name : query->columns)
      fields.emplace_back(name, RequireColumn(*table, name));
  }
  std::vector<uint32_t> rows;
  rows.reserve(table->rows.size());
  const int where = query && query->where ? RequireColumn(*table, query->where->field) : -1;
  for (std::size_t r = 0; r < table->rows.size(); ++r)
    if (where < 0 || Satisfies(table->rows[r][static_cast<std::size_t>(where)], *query->where))
      rows.push_back(static_cast<uint32_t>(r));
  return std::make_unique<SnapshotRecordset>(std::move(table), std::move(fields), std::move(rows));
}

void RaiseNoSuchTable(std::string_view name) {
  throw RunTimeError(err::kNoSuchTable,
                     "The database has no table named '" + std::string(name) + "'");
}

}  // namespace tallix::jet
