#pragma once
// The printed appendix: the ranking list or lists on worksheet 1 and every
// result of every board on worksheet 2 of the template workbook, filled in a
// spreadsheet application and printed, one copy of each sheet.
#include <string>

#include "platform/spreadsheet/spreadsheet.h"
#include "session/session_state.h"

namespace tallix {

inline constexpr char kAppendixTemplatePath[] = "C:\\Bridge\\GridAppendix.xls";

// The standard template has two heading rows above each list and follows
// TwoFields; the two-field template has one heading row less and always
// lists north-south and east-west apart.
enum class AppendixLayout { kStandard, kTwoField };

// Fills and prints both worksheets from the state the last pass left. However
// it ends, the workbook is closed unsaved and the application ended; a
// failure is then passed on.
void PrintAppendix(SessionState& s, spreadsheet::Spreadsheet& app,
                   const std::string& template_host_path,
                   AppendixLayout layout = AppendixLayout::kStandard);

}  // namespace tallix
