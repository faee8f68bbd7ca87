#pragma once
// The in-memory spreadsheet: sheets of cells keyed by (row, column), whole-row
// inserts and deletes that move the rows below, and each print kept as a copy
// of the sheet printed.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/spreadsheet.h"

namespace tallix::spreadsheet {

struct Cell {
  CellValue value;
  std::string format;  // empty: the template's own
  bool operator==(const Cell&) const = default;
};

using Sheet = std::map<std::pair<int, int>, Cell>;  // (row, column)

struct PrintedSheet {
  int index = 0;
  Sheet cells;
};

class MemoryWorkbook : public Spreadsheet {
 public:
  // `files` maps a path to the workbook's sheets; an unknown path cannot be opened.
  explicit MemoryWorkbook(std::map<std::string, std::vector<Sheet>> files = {})
      : files_(std::move(files)) {}

  void Start() override;
  void Open(const std::string& path) override;
  void Worksheet(int index) override;
  void SetValue(int row, int column, const CellValue& value) override;
  void SetNumberFormat(int row, int column, const std::string& format) override;
  void InsertRow(int row) override;
  void DeleteRow(int row) override;
  void PrintOut() override;
  void MarkSaved() override;
  void Close() override;
  void Quit() override;

  // What a test reads back.
  const std::vector<Sheet>& Sheets() const { return sheets_; }
  const std::vector<PrintedSheet>& Printed() const { return printed_; }
  const std::map<std::string, std::vector<Sheet>>& Files() const { return files_; }
  bool Running() const { return running_; }
  bool Open() const { return open_; }
  bool Saved() const { return saved_; }
  int Starts() const { return starts_; }

 private:
  Sheet& Current();

  std::map<std::string, std::vector<Sheet>> files_;
  std::vector<Sheet> sheets_;
  std::vector<PrintedSheet> printed_;
  int current_ = 0;
  bool running_ = false, open_ = false, saved_ = false;
  int starts_ = 0;
};

}  // namespace tallix::spreadsheet
