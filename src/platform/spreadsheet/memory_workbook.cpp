#include "platform/spreadsheet/memory_workbook.h"

#include "core/run_time_error.h"

namespace tallix::spreadsheet {
namespace {

constexpr int kMaxRow = 1048576;

void RequireRow(int row) {
  if (row < 1 || row > kMaxRow) RaiseSubscript();
}

// Moves every cell at or below `from` by `by` rows; cells pushed past the
// last row are lost, as in a real sheet.
void ShiftRows(Sheet& sheet, int from, int by) {
  Sheet moved;
  for (auto& [at, cell] : sheet) {
    if (at.first < from) {
      moved.emplace(at, std::move(cell));
    } else if (at.first + by >= 1 && at.first + by <= kMaxRow) {
      moved.emplace(std::make_pair(at.first + by, at.second), std::move(cell));
    }
  }
  sheet = std::move(moved);
}

}  // namespace

void MemoryWorkbook::Start() {
  running_ = true;
  ++starts_;
}

void MemoryWorkbook::Open(const std::string& path) {
  if (!running_) throw RunTimeError(91, "Object variable not set");
  const auto found = files_.find(path);
  if (found == files_.end()) throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  sheets_ = found->second;  // a copy: the file keeps its sheets
  open_ = true;
  saved_ = true;
  current_ = 0;
}

void MemoryWorkbook::Worksheet(int index) {
  if (!open_ || index < 1 || index > static_cast<int>(sheets_.size())) RaiseSubscript();
  current_ = index;
}

Sheet& MemoryWorkbook::Current() {
  if (!open_ || current_ == 0) throw RunTimeError(91, "Object variable not set");
  return sheets_[static_cast<std::size_t>(current_ - 1)];
}

void MemoryWorkbook::SetValue(int row, int column, const CellValue& value) {
  RequireRow(row);
  if (column < 1 || column > 16384) RaiseSubscript();
  Current()[{row, column}].value = value;
  saved_ = false;
}

void MemoryWorkbook::SetNumberFormat(int row, int column, const std::string& format) {
  RequireRow(row);
  if (column < 1 || column > 16384) RaiseSubscript();
  Current()[{row, column}].format = format;
  saved_ = false;
}

void MemoryWorkbook::InsertRow(int row) {
  RequireRow(row);
  ShiftRows(Current(), row, 1);
  saved_ = false;
}

void MemoryWorkbook::DeleteRow(int row) {
  RequireRow(row);
  Sheet& sheet = Current();
  std::erase_if(sheet, [row](const auto& entry) { return entry.first.first == row; });
  ShiftRows(sheet, row + 1, -1);
  saved_ = false;
}

void MemoryWorkbook::PrintOut() {
  printed_.push_back({current_, Current()});
}

void MemoryWorkbook::MarkSaved() {
  if (!open_) throw RunTimeError(91, "Object variable not set");
  saved_ = true;
}

void MemoryWorkbook::Close() {
  open_ = false;
  current_ = 0;
  sheets_.clear();
}

void MemoryWorkbook::Quit() {
  Close();
  running_ = false;
}

}  // namespace tallix::spreadsheet
