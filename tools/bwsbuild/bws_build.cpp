#include "bws_build.h"

#include <cctype>
#include <cstdint>
#include <map>

namespace tallix::jetwriter {
namespace {

Column Long(const char* name) {
  return {name, ColumnType::kLong, 0};
}
Column Text(const char* name, int length) {
  return {name, ColumnType::kText, length};
}
Column Bool(const char* name) {
  return {name, ColumnType::kBoolean, 0};
}
Column Date(const char* name) {
  return {name, ColumnType::kDateTime, 0};
}

// "YYYY-MM-DD HH:MM:SS", nothing more or less.
double ParseDateTime(const std::string& s) {
  static constexpr char kForm[] = "dddd-dd-dd dd:dd:dd";
  bool ok = s.size() == sizeof(kForm) - 1;
  for (std::size_t i = 0; ok && i < s.size(); ++i)
    ok = kForm[i] == 'd' ? std::isdigit(static_cast<unsigned char>(s[i])) != 0 : s[i] == kForm[i];
  if (!ok) throw JetError("date-time \"" + s + "\" is not of the form YYYY-MM-DD HH:MM:SS");
  auto num = [&](std::size_t at, std::size_t len) { return std::stoi(s.substr(at, len)); };
  try {
    return JetDateTime(num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2));
  } catch (const JetError&) {
    throw JetError("date-time \"" + s + "\" does not exist");
  }
}

Value ToValue(const Column& c, const nlohmann::json& v) {
  if (v.is_null()) return std::monostate{};
  switch (c.type) {
    case ColumnType::kLong:
    case ColumnType::kInteger: {
      if (!v.is_number_integer()) break;
      const bool negative = v.is_number_unsigned() ? false : v.get<std::int64_t>() < 0;
      const std::int64_t low = c.type == ColumnType::kLong ? INT32_MIN : INT16_MIN;
      const std::int64_t high = c.type == ColumnType::kLong ? INT32_MAX : INT16_MAX;
      if (!negative && v.get<std::uint64_t>() > static_cast<std::uint64_t>(high))
        throw JetError("column " + c.name + ": " + v.dump() + " is out of range");
      if (negative && v.get<std::int64_t>() < low)
        throw JetError("column " + c.name + ": " + v.dump() + " is out of range");
      return static_cast<std::int32_t>(v.get<std::int64_t>());
    }
    case ColumnType::kText:
      if (v.is_string()) return v.get<std::string>();
      break;
    case ColumnType::kBoolean:
      if (v.is_boolean()) return v.get<bool>();
      break;
    case ColumnType::kDateTime:
      if (v.is_string()) {
        try {
          return ParseDateTime(v.get<std::string>());
        } catch (const JetError& e) {
          throw JetError("column " + c.name + ": " + e.what());
        }
      }
      break;
  }
  static const std::map<ColumnType, const char*> kWanted = {
      {ColumnType::kLong, "an integer"},
      {ColumnType::kInteger, "an integer"},
      {ColumnType::kText, "a string"},
      {ColumnType::kBoolean, "true or false"},
      {ColumnType::kDateTime, "a \"YYYY-MM-DD HH:MM:SS\" string"}};
  throw JetError("column " + c.name + ": " + v.dump() + " is not " + kWanted.at(c.type));
}

std::map<std::string, std::vector<Row>> Rows(const nlohmann::json& doc) {
  if (!doc.is_object()) throw JetError("the description must be a JSON object keyed by table");
  for (const auto& [name, rows] : doc.items()) {
    bool known = false;
    for (const auto& t : BwsTables()) known = known || t.name == name;
    if (!known) throw JetError("unknown table " + name);
  }
  std::map<std::string, std::vector<Row>> out;
  for (const auto& t : BwsTables()) {
    const auto it = doc.find(t.name);
    if (it == doc.end() || it->is_null()) continue;
    out[t.name] = BwsRows(t, *it);
  }
  return out;
}

}  // namespace

const std::vector<TableDef>& BwsTables() {
  static const std::vector<TableDef> kTables = {
      {"Section",
       {Long("ID"), Text("Letter", 2), Long("Tables"), Long("MissingPair"),
        Text("Description", 100)}},
      {"RoundData",
       {Long("Section"), Long("Table"), Long("Round"), Long("NSPair"), Long("EWPair"),
        Long("LowBoard"), Long("HighBoard"), Text("CustomBoards", 255)}},
      {"PlayerNumbers",
       {Long("Section"), Long("Table"), Text("Direction", 2), Text("Number", 16), Text("Name", 50),
        Bool("Updated"), Date("TimeLog"), Bool("Processed")}},
      {"ReceivedData",
       {Long("ID"),           Long("Section"),      Long("Table"),      Long("Round"),
        Long("Board"),        Long("PairNS"),       Long("PairEW"),     Long("Declarer"),
        Text("NS/EW", 2),     Text("Contract", 10), Text("Result", 10), Text("LeadCard", 10),
        Text("Remarks", 255), Date("DateLog"),      Date("TimeLog"),    Bool("Processed"),
        Bool("Processed1"),   Bool("Processed2"),   Bool("Processed3"), Bool("Processed4"),
        Bool("Erased")}},
  };
  return kTables;
}

std::vector<Row> BwsRows(const TableDef& table, const nlohmann::json& rows) {
  if (!rows.is_array()) throw JetError("table " + table.name + " must be an array of rows");
  std::vector<Row> out;
  out.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const nlohmann::json& r = rows[i];
    const std::string where = "table " + table.name + ", row " + std::to_string(i);
    if (!r.is_object()) throw JetError(where + " is not an object");
    for (const auto& [key, value] : r.items()) {
      bool known = false;
      for (const auto& c : table.columns) known = known || c.name == key;
      if (!known) throw JetError(where + ": unknown column " + key);
    }
    Row row;
    for (const auto& c : table.columns) {
      const auto it = r.find(c.name);
      try {
        row.push_back(it == r.end() ? Value{} : ToValue(c, *it));
      } catch (const JetError& e) {
        throw JetError(where + ", " + e.what());
      }
    }
    out.push_back(std::move(row));
  }
  return out;
}

void WriteBws(const std::string& path, const nlohmann::json& session) {
  auto rows = Rows(session);
  std::vector<Table> tables;
  for (const auto& t : BwsTables()) tables.push_back({t, std::move(rows[t.name])});
  WriteDatabase(path, tables);
}

void AppendBws(const std::string& path, const nlohmann::json& rows) {
  AppendRows(path, Rows(rows));
}

}  // namespace tallix::jetwriter
