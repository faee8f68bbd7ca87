#include "platform/jet/snapshot.h"

#include <cstdint>
#include <utility>

#include "core/run_time_error.h"

namespace tallix::jet {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Exact equality, inline: names are short and compared on every field read.
bool SameName(const std::string& a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

[[noreturn]] void RaiseNoSuchField(std::string_view name) {
  throw RunTimeError(err::kNoSuchField,
                     "There is no field named '" + std::string(name) + "' in this recordset");
}

int RequireColumn(const TableData& table, std::string_view name) {
  const int i = FindColumn(table.Columns(), name);
  if (i < 0)
    throw RunTimeError(err::kNoSuchField, "The table '" + table.Name() + "' has no field named '" +
                                              std::string(name) + "'");
  return i;
}

class SnapshotData : public TableData {
 public:
  explicit SnapshotData(std::shared_ptr<const TableSnapshot> t) : t_(std::move(t)) {}
  const std::string& Name() const override { return t_->name; }
  const std::vector<std::string>& Columns() const override { return t_->columns; }
  std::size_t RowCount() const override { return t_->rows.size(); }
  Value At(std::size_t row, std::size_t column) const override { return t_->rows[row][column]; }

 private:
  std::shared_ptr<const TableSnapshot> t_;
};

class TableRecordset : public Recordset {
 public:
  TableRecordset(std::shared_ptr<const TableData> table,
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
    step_ = 0;
  }
  void MoveNext() override {
    if (Eof()) RaiseNoCurrentRow();
    ++pos_;
    step_ = 0;
  }
  Value Field(std::string_view name) const override {
    CheckOpen();
    const int column = Lookup(name);
    if (pos_ >= rows_.size()) RaiseNoCurrentRow();
    return table_->At(rows_[pos_], static_cast<std::size_t>(column));
  }
  void Close() override {
    closed_ = true;
    table_.reset();
  }

 private:
  // A caller reads the same fields in the same order on every row: the k-th
  // read of this row is tried first as the field of the k-th read of the last.
  int Lookup(std::string_view name) const {
    if (step_ < order_.size()) {
      const auto& [field, column] = fields_[order_[step_]];
      if (SameName(field, name)) {
        ++step_;
        return column;
      }
    }
    const std::size_t i = Find(name);
    if (step_ < kLongestOrder) {
      order_.resize(step_);
      order_.push_back(i);
      ++step_;
    }
    return fields_[i].second;
  }
  std::size_t Find(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
      if (fields_[i].first == name) return i;
    for (std::size_t i = 0; i < fields_.size(); ++i)
      if (EqualsIgnoringCase(fields_[i].first, name)) return i;
    RaiseNoSuchField(name);
  }
  void CheckOpen() const {
    if (closed_) throw RunTimeError(kObjectClosed, "The recordset has been closed");
  }
  [[noreturn]] static void RaiseNoCurrentRow() {
    throw RunTimeError(err::kNoCurrentRecord,
                       "There is no current row: the recordset is empty or past its last row");
  }

  static constexpr std::size_t kLongestOrder = 256;

  std::shared_ptr<const TableData> table_;
  std::vector<std::pair<std::string, int>> fields_;
  std::vector<uint32_t> rows_;
  std::size_t pos_ = 0;
  mutable std::vector<std::size_t> order_;  // indexes into fields_, in the order they were read
  mutable std::size_t step_ = 0;            // reads of the current row so far
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

std::unique_ptr<Recordset> OpenTable(std::shared_ptr<const TableData> table, const Query* query) {
  std::vector<std::pair<std::string, int>> fields;
  const std::vector<std::string>& columns = table->Columns();
  if (query == nullptr || query->all_columns) {
    for (std::size_t i = 0; i < columns.size(); ++i)
      fields.emplace_back(columns[i], static_cast<int>(i));
  } else {
    for (const std::string& name : query->columns)
      fields.emplace_back(name, RequireColumn(*table, name));
  }
  const std::size_t count = table->RowCount();
  std::vector<uint32_t> rows;
  rows.reserve(count);
  const int where = query && query->where ? RequireColumn(*table, query->where->field) : -1;
  for (std::size_t r = 0; r < count; ++r)
    if (where < 0 || Satisfies(table->At(r, static_cast<std::size_t>(where)), *query->where))
      rows.push_back(static_cast<uint32_t>(r));
  return std::make_unique<TableRecordset>(std::move(table), std::move(fields), std::move(rows));
}

std::unique_ptr<Recordset> OpenSnapshot(std::shared_ptr<const TableSnapshot> table,
                                        const Query* query) {
  return OpenTable(std::make_shared<SnapshotData>(std::move(table)), query);
}

void RaiseNoSuchTable(std::string_view name) {
  throw RunTimeError(err::kNoSuchTable,
                     "The database has no table named '" + std::string(name) + "'");
}

}  // namespace tallix::jet
