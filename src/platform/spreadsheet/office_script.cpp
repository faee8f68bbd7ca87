#include "platform/spreadsheet/office_script.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "core/run_time_error.h"

namespace tallix::spreadsheet {
namespace {

// Fields are separated by tabs; a name may hold tabs, line breaks and backslashes.
std::string Escape(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char next = field[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(Unescape(line.substr(start, tab - start)));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

[[noreturn]] void BadLine(const std::string& line) {
  throw RunTimeError(err::kInvalidCall, "Invalid procedure call or argument: script line '" +
                                            line.substr(0, 80) + "'");
}

int Number(const std::string& field, const std::string& line) {
  char* end = nullptr;
  const long v = std::strtol(field.c_str(), &end, 10);
  if (field.empty() || *end != '\0' || v < -2147483647L || v > 2147483647L) BadLine(line);
  return static_cast<int>(v);
}

}  // namespace

void ScriptRecorder::Line(std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) script_ += '\t';
    script_ += f;
    first = false;
  }
  script_ += '\n';
}

void ScriptRecorder::Start() {
  Line({"start"});
}
void ScriptRecorder::Open(const std::string& path) {
  Line({"open", Escape(path)});
}
void ScriptRecorder::Worksheet(int index) {
  Line({"sheet", std::to_string(index)});
}

void ScriptRecorder::SetValue(int row, int column, const CellValue& value) {
  const std::string r = std::to_string(row), c = std::to_string(column);
  if (const auto* i = std::get_if<int32_t>(&value)) {
    Line({"value", r, c, "i", std::to_string(*i)});
  } else if (const auto* f = std::get_if<float>(&value)) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(*f));  // enough to come back exact
    Line({"value", r, c, "f", text});
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    Line({"value", r, c, "s", Escape(*s)});
  } else {
    Line({"value", r, c, "e"});
  }
}

void ScriptRecorder::SetNumberFormat(int row, int column, const std::string& format) {
  Line({"format", std::to_string(row), std::to_string(column), Escape(format)});
}

void ScriptRecorder::InsertRow(int row) {
  Line({"insert", std::to_string(row)});
}
void ScriptRecorder::DeleteRow(int row) {
  Line({"delete", std::to_string(row)});
}
void ScriptRecorder::PrintOut() {
  Line({"print"});
}
void ScriptRecorder::MarkSaved() {
  Line({"saved"});
}
void ScriptRecorder::Close() {
  Line({"close"});
}
void ScriptRecorder::Quit() {
  Line({"quit"});
}

void ReplayScript(const std::string& script, Spreadsheet& target) {
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> f = Fields(line);
    const std::string& op = f[0];
    const std::size_t n = f.size();
    if (op == "start" && n == 1) {
      target.Start();
    } else if (op == "open" && n == 2) {
      target.Open(f[1]);
    } else if (op == "sheet" && n == 2) {
      target.Worksheet(Number(f[1], line));
    } else if (op == "value" && n >= 4) {
      const int row = Number(f[1], line), column = Number(f[2], line);
      const std::string& type = f[3];
      if (type == "i" && n == 5) {
        target.SetValue(row, column, static_cast<int32_t>(Number(f[4], line)));
      } else if (type == "f" && n == 5) {
        char* end = nullptr;
        const float v = std::strtof(f[4].c_str(), &end);
        if (f[4].empty() || *end != '\0') BadLine(line);
        target.SetValue(row, column, v);
      } else if (type == "s" && n == 5) {
        target.SetValue(row, column, f[4]);
      } else if (type == "e" && n == 4) {
        target.SetValue(row, column, CellValue{});
      } else {
        BadLine(line);
      }
    } else if (op == "format" && n == 4) {
      target.SetNumberFormat(Number(f[1], line), Number(f[2], line), f[3]);
    } else if (op == "insert" && n == 2) {
      target.InsertRow(Number(f[1], line));
    } else if (op == "delete" && n == 2) {
      target.DeleteRow(Number(f[1], line));
    } else if (op == "print" && n == 1) {
      target.PrintOut();
    } else if (op == "saved" && n == 1) {
      target.MarkSaved();
    } else if (op == "close" && n == 1) {
      target.Close();
    } else if (op == "quit" && n == 1) {
      target.Quit();
    } else {
      BadLine(line);
    }
  }
}

}  // namespace tallix::spreadsheet
