#pragma once
// The real spreadsheet: the operations are recorded and, when the application
// is told to quit, carried out by the helper program (tallix_office) on a
// LibreOffice of its own. The helper and its office run in a process group
// of their own, under a deadline; whatever happens, the whole group is ended
// before Quit returns, so a crashed or hung office never reaches the caller.
#include <chrono>
#include <string>

#include "platform/spreadsheet/office_script.h"

namespace tallix::spreadsheet {

// The pipe the helper with process id `helper` and its office talk over, and
// the socket the office leaves for it in /tmp when it is ended hard.
std::string OfficePipeName(long helper);
std::string OfficePipePath(long helper);

class OfficeSpreadsheet : public Spreadsheet {
 public:
  explicit OfficeSpreadsheet(std::string helper_path,
                             std::chrono::milliseconds deadline = std::chrono::seconds(60))
      : helper_(std::move(helper_path)), deadline_(deadline) {}

  void Start() override;
  // A missing or unreadable file fails here at once (error 53).
  void Open(const std::string& path) override;
  void Worksheet(int index) override { script_.Worksheet(index); }
  void SetValue(int row, int column, const CellValue& value) override {
    script_.SetValue(row, column, value);
  }
  void SetNumberFormat(int row, int column, const std::string& format) override {
    script_.SetNumberFormat(row, column, format);
  }
  void InsertRow(int row) override { script_.InsertRow(row); }
  void DeleteRow(int row) override { script_.DeleteRow(row); }
  void PrintOut() override { script_.PrintOut(); }
  void MarkSaved() override { script_.MarkSaved(); }
  void Close() override { script_.Close(); }
  // Runs the helper on what was recorded (nothing when no workbook was
  // opened) and raises the first failure it reports.
  void Quit() override;

 private:
  std::string helper_;
  std::chrono::milliseconds deadline_;
  ScriptRecorder script_;
  bool opened_ = false;
};

}  // namespace tallix::spreadsheet
