#pragma once
// The spreadsheet operations as lines of text, so that a helper process can
// carry them out on the office: the program records them, the helper replays
// them in the same order on its own backend.
#include <string>

#include "platform/spreadsheet/spreadsheet.h"

namespace tallix::spreadsheet {

// Records every operation as one line of the script.
class ScriptRecorder : public Spreadsheet {
 public:
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

  const std::string& Script() const { return script_; }

 private:
  void Line(std::initializer_list<std::string> fields);
  std::string script_;
};

// Carries out the script's operations in order on `target`. A line that is
// not an operation raises error 5; a failing operation's error passes on and
// the rest is not carried out.
void ReplayScript(const std::string& script, Spreadsheet& target);

}  // namespace tallix::spreadsheet
