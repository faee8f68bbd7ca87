#pragma once
// A table's rows as read at one moment, and the recordset that walks them.
// Both backends hand a table read at one moment to OpenTable (the memory
// database through OpenSnapshot), so a table and a query behave alike
// whatever the backend.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"
#include "platform/jet/database.h"
#include "platform/jet/query.h"

namespace tallix::jet {

// Engine numbers beyond the core's list.
inline constexpr int kObjectClosed = 3420;      // a recordset used after Close
inline constexpr int kDataTypeMismatch = 3464;  // a text compared with a number or date

// A table's rows, read-only, each value made when it is asked for.
class TableData {
 public:
  virtual ~TableData() = default;
  virtual const std::string& Name() const = 0;
  virtual const std::vector<std::string>& Columns() const = 0;
  virtual std::size_t RowCount() const = 0;
  // row < RowCount(), column < Columns().size()
  virtual Value At(std::size_t row, std::size_t column) const = 0;
};

struct TableSnapshot {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;  // each as long as columns
};

// Names of tables and fields ignore ASCII case, as the engine's do.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// Position of a column by name; -1 when the table has none of that name.
int FindColumn(const std::vector<std::string>& columns, std::string_view name);

// A recordset on the whole table (query null), or on the rows and columns of
// the query. A name the query uses that the table lacks is 3265.
std::unique_ptr<Recordset> OpenTable(std::shared_ptr<const TableData> table, const Query* query);
std::unique_ptr<Recordset> OpenSnapshot(std::shared_ptr<const TableSnapshot> table,
                                        const Query* query);

[[noreturn]] void RaiseNoSuchTable(std::string_view name);

}  // namespace tallix::jet
