#include "engine/pair_names.h"

#include "core/checked.h"
#include "core/date_time.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "core/value.h"

namespace tallix {
namespace {

std::string Surname(const std::string& name) {
  return Split(name, ' ').back();
}

// Files one name under the pair seated at `table` in round 1; a table or
// pair outside the lists raises before anything is stored.
void FileName(SessionState& s, const Value& direction, const Value& table,
              const std::string& name) {
  if (IsEqual(direction, "N") || IsEqual(direction, "S")) {
    const int p = s.TableNSPair(ToInteger(table));
    std::string& seat = IsEqual(direction, "N") ? s.NorthName(p) : s.SouthName(p);
    seat = name;
    s.NSPairName(p) = FormatPairName(s.NorthName(p), s.SouthName(p));
  } else if (IsEqual(direction, "E") || IsEqual(direction, "W")) {
    const int q = s.TableEWPair(ToInteger(table));
    std::string& seat = IsEqual(direction, "E") ? s.EastName(q) : s.WestName(q);
    seat = name;
    s.EWPairName(q) = FormatPairName(s.EastName(q), s.WestName(q));
    if (!s.TwoFields) s.NSPairName(q) = s.EWPairName(q);
  }
}

}  // namespace

std::string FormatPairName(std::string& first, std::string& second) {
  first = Trim(first);
  second = Trim(second);
  if (first.empty() || second.empty()) return first + " & " + second;
  std::string shown = first;
  const std::string surname = Surname(second);
  if (Surname(first) == surname) shown = Replace(first, " " + surname, "");
  return shown + " & " + second;
}

std::vector<std::string> ReadPlayerNumbers(SessionState& s, jet::Database& db, Timer& timer) {
  std::vector<std::string> bad_rows;
  const std::string query = s.NamesQuery + FormatQueryDate(s.LastTimeLog) + "#";
  auto rs = db.OpenRecordset(query);
  while (!rs->Eof()) {
    const Value direction = rs->Field("Direction");
    const Value table = rs->Field("Table");
    const Value name = rs->Field("Name");
    const Value time_log = rs->Field("TimeLog");
    const auto left_out = [&](const char* field, const Value& v, const RunTimeError& e) {
      bad_rows.push_back("Name left out: table " + Describe(table) + ", seat " +
                         Describe(direction) + ": " + field + " " + Describe(v) + ": Error " +
                         std::to_string(e.Number) + ": " + e.Description);
    };
    std::string text;
    try {
      text = PrintableText(TextOrEmpty(name));
      try {
        FileName(s, direction, table, text);
      } catch (const RunTimeError& e) {
        left_out("Table", table, e);
      }
    } catch (const RunTimeError& e) {
      left_out("Name", name, e);
    }
    try {
      const DateTime t = time_log.AsDate();
      // A time no field can hold would break every later names query.
      if (!IsDateInRange(t)) RaiseOverflow();
      s.LastTimeLog = t;
    } catch (const RunTimeError& e) {
      left_out("TimeLog", time_log, e);
    }
    timer.SetInterval(10000);
    rs->MoveNext();
  }
  rs->Close();
  return bad_rows;
}

void RestoreNorthSouthPairNames(SessionState& s) {
  for (int p = 0; p <= kMaxPair; ++p) {
    const bool named = !s.NorthName(p).empty() || !s.SouthName(p).empty();
    s.NSPairName(p) = named ? FormatPairName(s.NorthName(p), s.SouthName(p)) : std::string();
  }
}

}  // namespace tallix
