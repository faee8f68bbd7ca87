#pragma once
// The program's view of a Jet database: open it once, then open recordsets
// on a table by name or on a query text, walk the rows, read fields by name.
// Failures are RunTimeErrors with the engine's numbers (see core/run_time_error.h).
#include <memory>
#include <string>
#include <string_view>

#include "core/value.h"

namespace tallix::jet {

class Recordset {
 public:
  virtual ~Recordset() = default;
  // True past the last row (at once for an empty recordset).
  virtual bool Eof() const = 0;
  virtual void MoveFirst() = 0;  // fails (3021) on an empty recordset
  virtual void MoveNext() = 0;   // fails (3021) at end-of-file
  // A field of the current row; 3265 for an unknown name, 3021 at end-of-file.
  virtual Value Field(std::string_view name) const = 0;
  virtual void Close() = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  // A table by its name (3078 when absent), or a query text beginning with
  // "Select" (3075 when the text is not of the one supported form).
  virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view source) = 0;
};

class Engine {
 public:
  virtual ~Engine() = default;
  // 3024 when the file is missing or unreadable, 3343 when it is not a Jet database.
  virtual std::shared_ptr<Database> OpenDatabase(const std::string& path) = 0;
};

}  // namespace tallix::jet
