#pragma once
// Workbook automation as the appendix uses it: one application instance, one
// workbook opened from a file, whole-row inserts and deletes, cell values and
// number formats on the current worksheet, one printed copy per worksheet.
#include <cstdint>
#include <string>
#include <variant>

namespace tallix::spreadsheet {

// A cell value with the type it is written with: integer, single-precision
// number or text (monostate leaves the cell empty).
using CellValue = std::variant<std::monostate, int32_t, float, std::string>;

// The application cannot be started; any other failure of the application.
inline constexpr int kCannotCreateObject = 429;
inline constexpr int kAutomationError = 440;

class Spreadsheet {
 public:
  virtual ~Spreadsheet() = default;
  // Starts an application instance.
  virtual void Start() = 0;
  // Opens the workbook file; the file itself is never written.
  virtual void Open(const std::string& path) = 0;
  // Makes worksheet `index` (from 1) the current one; error 9 when it has none.
  virtual void Worksheet(int index) = 0;
  // Rows and columns count from 1.
  virtual void SetValue(int row, int column, const CellValue& value) = 0;
  virtual void SetNumberFormat(int row, int column, const std::string& format) = 0;
  // The row there and every row below move down one.
  virtual void InsertRow(int row) = 0;
  // The rows below move up one.
  virtual void DeleteRow(int row) = 0;
  // One copy of the current worksheet to the default printer.
  virtual void PrintOut() = 0;
  // Marks the workbook saved, so that closing asks nothing.
  virtual void MarkSaved() = 0;
  // Closes the workbook without saving; nothing happens when none is open.
  virtual void Close() = 0;
  // Ends the application instance; nothing happens when none runs.
  virtual void Quit() = 0;
};

}  // namespace tallix::spreadsheet
