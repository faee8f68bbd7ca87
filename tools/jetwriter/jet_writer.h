// Writes Jet 4 (Access 2000) database files that libmdb and mdbtools read, and
// appends rows to such a file in place while readers keep it open.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tallix::jetwriter {

enum class ColumnType { kLong, kInteger, kText, kBoolean, kDateTime };

struct Column {
  std::string name;
  ColumnType type = ColumnType::kLong;
  int length = 0;  // Text only: the most characters a value may hold (1..255)
};

struct TableDef {
  std::string name;
  std::vector<Column> columns;
};

// Long and Integer take int32_t, Text a UTF-8 string, Boolean bool, DateTime a
// double (days since 1899-12-30, the time of day as the fraction). monostate is
// Null; Jet has no Null boolean, so a Null Boolean is stored as false.
using Value = std::variant<std::monostate, std::int32_t, bool, double, std::string>;
using Row = std::vector<Value>;  // one value per column, in column order

struct Table {
  TableDef def;
  std::vector<Row> rows;
};

// Bad input (a value of the wrong type, a text too long, an unknown table) or a
// file this writer cannot handle. Nothing is written when it is thrown.
class JetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The Jet date-time of a civil date and time.
double JetDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Creates (or replaces) the file with these tables and rows.
void WriteDatabase(const std::string& path, const std::vector<Table>& tables);

// Adds rows at the end of tables of a file this writer made. Changed pages are
// rewritten where they are, new pages go at the end, data before the table
// definitions' row counts, so a reader that reads the table again sees them.
void AppendRows(const std::string& path, const std::map<std::string, std::vector<Row>>& rows);

// The user tables of a file this writer made, in catalog order.
std::vector<TableDef> ReadTableDefs(const std::string& path);

}  // namespace tallix::jetwriter
